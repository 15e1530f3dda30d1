object welcome: TForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 313
  ClientWidth = 497
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  object Label1: TLabel
    Left = 24
    Top = 24
    Width = 449
    Height = 40
    AutoSize = False
    Caption = '$GREETING$ This wizard installs $TITLE$ on your computer.'
    WordWrap = True
  end
  object Memo1: TMemo
    Left = 24
    Top = 80
    Width = 449
    Height = 169
    ReadOnly = True
    TabOrder = 0
  end
  object Next: TButton
    Left = 312
    Top = 272
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 1
    Tag = 1
  end
  object Cancel: TButton
    Left = 398
    Top = 272
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 2
    Tag = 3
  end
end
