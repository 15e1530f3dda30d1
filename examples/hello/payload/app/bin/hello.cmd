@echo off
echo Hello, world!
