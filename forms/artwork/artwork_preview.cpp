// Writes every generated picture file into a folder, with preview.png: a
// contact sheet that shows each picture as the window will show it (title
// buttons on the black bar, command button faces on the panel grey with a
// caption, the icon on a light and a dark task bar), at actual size and
// enlarged four times. The pictures on the sheet are decoded back from the
// written files, so the sheet also shows that the files read correctly.
//
//   artwork_preview <folder>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include "forms/artwork/artwork.h"

namespace {

using quorvant::forms::artwork::FaceState;
using quorvant::forms::artwork::SuperFace;
namespace artwork = quorvant::forms::artwork;

constexpr int kZoom = 4;
constexpr int kGap = 24;
const QColor kSheet(58, 60, 66);
const QColor kPanel(212, 208, 200);

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

QImage decode(const std::vector<uint8_t>& bytes, int index = 0) {
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  QImageReader reader(&buffer);
  reader.jumpToImage(index);
  return reader.read();
}

QImage zoomed(const QImage& image) {
  return image.scaled(image.width() * kZoom, image.height() * kZoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// The black top-right corner of the window with the two title buttons where
// the window puts them (minimise at x 562, close at x 588 of a 632-wide bar).
QImage title_corner(FaceState minimise, FaceState close) {
  constexpr int kLeft = 532;
  QImage scene(632 - kLeft, 30, QImage::Format_RGB32);
  scene.fill(Qt::black);
  QPainter painter(&scene);
  painter.drawImage(562 - kLeft, 0, decode(artwork::minimise_button_face(minimise)));
  painter.drawImage(588 - kLeft, 0, decode(artwork::close_button_face(close)));
  return scene;
}

// A 98 x 24 command button on the panel: pixels of the face's top-left
// colour are not drawn, and the caption is centred over the face.
QImage command_button(SuperFace face, const QString& caption) {
  QImage picture = decode(artwork::super_button_face(face)).convertToFormat(QImage::Format_ARGB32);
  const QRgb key = picture.pixel(0, 0);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (picture.pixel(x, y) == key) picture.setPixel(x, y, qRgba(0, 0, 0, 0));
    }
  }
  QImage scene(98 + 12, 24 + 12, QImage::Format_RGB32);
  scene.fill(kPanel);
  QPainter painter(&scene);
  const QRect button(6, 6, 98, 24);
  painter.setClipRect(button);
  painter.drawImage(button.topLeft(), picture);
  QFont font("Noto Sans CJK SC");
  font.setPixelSize(13);
  painter.setFont(font);
  painter.setPen(face == SuperFace::kDisabled ? QColor(128, 128, 128) : QColor(0, 0, 0));
  painter.drawText(button, Qt::AlignCenter, caption);
  return scene;
}

QImage icon_strip(const std::vector<uint8_t>& icon, QColor bar, int zoom) {
  std::vector<QImage> images;
  int width = 8;
  for (int i = 0; i < 4; ++i) {
    QImage image = decode(icon, i);
    image = image.scaled(image.width() * zoom, image.height() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    width += image.width() + 8;
    images.push_back(image);
  }
  QImage strip(width, 64 * zoom + 16, QImage::Format_RGB32);
  strip.fill(bar);
  QPainter painter(&strip);
  int x = 8;
  for (const QImage& image : images) {
    painter.drawImage(x, 8 + (64 * zoom - image.height()) / 2, image);
    x += image.width() + 8;
  }
  return strip;
}

// Lays out scenes left to right, in rows, each with a label above it.
class Sheet {
 public:
  Sheet() : canvas_(1500, 2400, QImage::Format_RGB32) {
    canvas_.fill(kSheet);
    painter_.begin(&canvas_);
    QFont font("Noto Sans CJK SC");
    font.setPixelSize(14);
    painter_.setFont(font);
    painter_.setPen(QColor(230, 230, 230));
  }
  void heading(const QString& text) {
    next_row();
    QFont font = painter_.font();
    font.setPixelSize(20);
    font.setBold(true);
    painter_.save();
    painter_.setFont(font);
    painter_.drawText(kGap, y_ + 20, text);
    painter_.restore();
    y_ += 34;
  }
  void place(const QImage& image, const QString& label) {
    painter_.drawText(x_, y_ + 14, label);
    painter_.drawImage(x_, y_ + 22, image);
    x_ += image.width() + kGap;
    row_height_ = std::max(row_height_, image.height() + 22);
  }
  void next_row() {
    y_ += row_height_ + (row_height_ > 0 ? kGap : 0);
    x_ = kGap;
    row_height_ = 0;
  }
  QImage finish() {
    next_row();
    painter_.end();
    return canvas_.copy(0, 0, canvas_.width(), y_);
  }

 private:
  QImage canvas_;
  QPainter painter_;
  int x_ = kGap;
  int y_ = 0;
  int row_height_ = 0;
};

void draw_sheet(const std::string& path) {
  Sheet sheet;
  sheet.heading("Title buttons on the black bar (x4)");
  sheet.place(zoomed(title_corner(FaceState::kNormal, FaceState::kNormal)), "at rest");
  sheet.place(zoomed(title_corner(FaceState::kNormal, FaceState::kHover)), "close: pointer over");
  sheet.place(zoomed(title_corner(FaceState::kNormal, FaceState::kPressed)), "close: pressed");
  sheet.next_row();
  sheet.place(zoomed(title_corner(FaceState::kHover, FaceState::kNormal)), "minimise: pointer over");
  sheet.place(zoomed(title_corner(FaceState::kPressed, FaceState::kNormal)), "minimise: pressed");
  sheet.next_row();
  sheet.place(title_corner(FaceState::kNormal, FaceState::kNormal), "actual size");
  sheet.place(title_corner(FaceState::kNormal, FaceState::kHover), "");
  sheet.place(title_corner(FaceState::kNormal, FaceState::kPressed), "");
  sheet.place(title_corner(FaceState::kHover, FaceState::kNormal), "");
  sheet.place(title_corner(FaceState::kPressed, FaceState::kNormal), "");

  const QString caption = QString::fromUtf8("转换多个图片");
  sheet.heading("Command buttons on the panel (x4)");
  sheet.place(zoomed(command_button(SuperFace::kOut, caption)), "pointer outside");
  sheet.place(zoomed(command_button(SuperFace::kIn, caption)), "pointer inside / pressed");
  sheet.next_row();
  sheet.place(zoomed(command_button(SuperFace::kDisabled, caption)), "disabled");
  sheet.next_row();
  sheet.place(command_button(SuperFace::kOut, QString::fromUtf8("转换多个图片")), "actual size");
  sheet.place(command_button(SuperFace::kIn, QString::fromUtf8("转换单个图片")), "");
  sheet.place(command_button(SuperFace::kOut, QString::fromUtf8("格式转换")), "");
  sheet.place(command_button(SuperFace::kDisabled, QString::fromUtf8("格式转换")), "");

  const std::vector<uint8_t> icon = artwork::window_icon();
  sheet.heading("Window icon: 16, 32, 48, 64 (actual size, then x4)");
  sheet.place(icon_strip(icon, QColor(243, 243, 243), 1), "light task bar");
  sheet.place(icon_strip(icon, QColor(32, 32, 32), 1), "dark task bar");
  sheet.next_row();
  sheet.place(icon_strip(icon, QColor(243, 243, 243), kZoom), "");
  sheet.next_row();
  sheet.place(icon_strip(icon, QColor(32, 32, 32), kZoom), "");
  sheet.finish().save(QString::fromStdString(path), "PNG");
}

struct NamedFile {
  const char* name;
  std::vector<uint8_t> bytes;
};

std::vector<NamedFile> generated_files() {
  return {
      {"close_normal.bmp", artwork::close_button_face(FaceState::kNormal)},
      {"close_hover.bmp", artwork::close_button_face(FaceState::kHover)},
      {"close_pressed.bmp", artwork::close_button_face(FaceState::kPressed)},
      {"minimise_normal.bmp", artwork::minimise_button_face(FaceState::kNormal)},
      {"minimise_hover.bmp", artwork::minimise_button_face(FaceState::kHover)},
      {"minimise_pressed.bmp", artwork::minimise_button_face(FaceState::kPressed)},
      {"super_out.bmp", artwork::super_button_face(SuperFace::kOut)},
      {"super_in.bmp", artwork::super_button_face(SuperFace::kIn)},
      {"super_disabled.bmp", artwork::super_button_face(SuperFace::kDisabled)},
      {"window.ico", artwork::window_icon()},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  for (const NamedFile& file : generated_files()) {
    if (!write_file(folder + "/" + file.name, file.bytes)) {
      std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), file.name);
      return 1;
    }
  }
  // Captions need fonts, which need an application; no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  draw_sheet(folder + "/preview.png");
  return 0;
}
