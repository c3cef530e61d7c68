#include "app/program_state.h"

namespace quorvant::app {

std::atomic<int32_t>& current_item_index() {
  static std::atomic<int32_t> index{0};
  return index;
}

Text& remembered_folder() {
  static Text folder;
  return folder;
}

}  // namespace quorvant::app
