// quorvant: the picture converter's window program.
#include "app/program.h"
#include "runtime/runtime.h"

int main(int argc, char** argv) { quorvant::runtime::run_application(argc, argv, quorvant::app::start_up); }
