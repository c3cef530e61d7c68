// form_tool OUT.cpp: writes the program's form template as a C++ source
// file that defines the embedded block, so the program carries the template
// inside itself. form_tool OUT.bin writes the bare block (a seed for the
// template reader's fuzzer, for one).
#include <cstdio>
#include <fstream>
#include <string>

#include "forms/program_form.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: form_tool OUT.cpp\n");
    return 2;
  }
  const quorvant::forms::Bytes block = quorvant::forms::write_form(quorvant::forms::program_windows());
  const std::string path = argv[1];
  if (path.ends_with(".bin")) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    return out.good() ? 0 : 1;
  }
  std::ofstream out(path, std::ios::trunc);
  out << "// Written by form_tool from forms/program_form.cpp; do not edit.\n"
         "#include \"forms/embedded_form.h\"\n\n"
         "namespace quorvant::forms {\n\nnamespace {\nconstexpr uint8_t kBlock[] = {";
  for (size_t i = 0; i < block.size(); ++i) out << (i % 16 == 0 ? "\n    " : " ") << static_cast<int>(block[i]) << ',';
  out << "\n};\n}  // namespace\n\n"
         "std::span<const uint8_t> embedded_form() { return kBlock; }\n\n"
         "}  // namespace quorvant::forms\n";
  return out.good() ? 0 : 1;
}
