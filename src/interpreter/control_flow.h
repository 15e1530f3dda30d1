// The main loop's two control-flow steps before a fetch: the pending branch skip and
// wizard navigation. Main thread only.
#pragma once

namespace velkor::interpreter {

class Interpreter;

// Carries out the pending skip of the block state and clears it. A skip to "Else" lets
// the else branch run; a skip to "Else If" makes it the next statement, marked as
// reached by a skip (landed_on_else_if); a skip to "End" makes the "End" the next statement.
void RunPendingSkip(Interpreter& run);

// While wizard navigation is on: moves the cursor to the next "Display Dialog" in the
// navigation direction, or ends navigation and moves it to where execution continues.
// The normal fetch then picks the statement at the cursor.
void NavigateWizard(Interpreter& run);

}  // namespace velkor::interpreter
