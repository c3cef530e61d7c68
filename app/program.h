// The converter program: its description for the runtime and its start-up
// routine.
#pragma once

namespace quorvant::app {

// Initialises the runtime with the program's description, registers the
// clean-up routine and runs the start subroutine: everything of start-up
// before the start window opens.
void prepare_program();

// The start-up routine: prepare_program, then the main window and the
// message loop. Returns 0 when the loop ends.
int start_up();

}  // namespace quorvant::app
