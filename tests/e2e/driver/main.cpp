// Entry of every end-to-end test exe: GoogleTest, with output as UTF-8 bytes (the console
// functions of the C runtime stop at the first Chinese character when writing to a pipe).
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
