#include "runtime/runtime_error.h"

#include <cstdio>

#include "platform/dialogs.h"
#include "runtime/runtime.h"
#include "runtime/runtime_object.h"

namespace quorvant::runtime {

namespace {

constexpr const char* kMessages[] = {
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};

// The error box: title "错误", the error icon and an OK button.
constexpr int kErrorBoxStyle = 0x10;

}  // namespace

std::string runtime_error_message(int32_t code) {
  return code >= 1 && code <= static_cast<int32_t>(std::size(kMessages)) ? kMessages[code - 1] : std::string{};
}

std::string runtime_error_box_text(int32_t code, const std::string& message) {
  std::string text = "运行时出错!\r\n\r\n";
  if (code != 0) text += "错误代码：" + std::to_string(code) + "\r\n\r\n";
  if (!message.empty()) text += "错误信息：" + message + "\r\n";
  return text;
}

void raise_runtime_error(int32_t code, const std::string& message) {
  RuntimeObject& rt = runtime_object();
  // From here on no event handler runs: the program ends after the box.
  ++rt.error_nesting;
  if (rt.windows) rt.windows->raise_error_nesting();
  const std::string text = runtime_error_box_text(code, message.empty() ? runtime_error_message(code) : message);
  if (rt.dialogs != nullptr) {
    rt.dialogs->message_box({text, "错误", kErrorBoxStyle});
  } else {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  // The clean-up routine does not run after a runtime error.
  rt.cleanup = nullptr;
  end_program(-1);
}

}  // namespace quorvant::runtime
