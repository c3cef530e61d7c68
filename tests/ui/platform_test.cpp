// What the platform layer gives the window runtime.
#include <gtest/gtest.h>

#include <QWidget>

#include "platform/gbk.h"
#include "platform/window_handles.h"

namespace quorvant::platform {
namespace {

TEST(Gbk, ConvertsBothWaysAndMarksWhatItCannot) {
  const std::string gbk = utf8_to_gbk("保存文件");
  EXPECT_EQ(gbk, "\xB1\xA3\xB4\xE6\xCE\xC4\xBC\xFE");
  EXPECT_EQ(gbk_to_utf8(gbk), "保存文件");
  EXPECT_EQ(gbk_to_utf8("ab\xFF"), "ab?") << "a cut-off sequence";
  EXPECT_EQ(gbk_to_utf8(""), "");
}

TEST(WindowHandles, AreStableAndForgottenWithTheirWidget) {
  WindowHandles handles;
  auto widget = std::make_unique<QWidget>();
  const int32_t handle = handles.handle_of(widget.get());
  EXPECT_NE(handle, 0);
  EXPECT_EQ(handles.handle_of(widget.get()), handle);
  EXPECT_EQ(handles.widget_of(handle), widget.get());
  auto other = std::make_unique<QWidget>();
  EXPECT_NE(handles.handle_of(other.get()), handle);
  widget.reset();
  EXPECT_EQ(handles.widget_of(handle), nullptr);
  EXPECT_EQ(handles.handle_of(nullptr), 0);
}

}  // namespace
}  // namespace quorvant::platform
