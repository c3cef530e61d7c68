// quorvant: the picture converter's window program.
#include <csignal>

#include "app/program.h"
#include "runtime/runtime.h"

int main(int argc, char** argv) {
  // A file-size limit (ulimit -f) fails the one write that meets it, with
  // EFBIG, instead of ending the program with SIGXFSZ.
  std::signal(SIGXFSZ, SIG_IGN);
  quorvant::runtime::run_application(argc, argv, quorvant::app::start_up);
}
