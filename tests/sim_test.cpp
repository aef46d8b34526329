// The headless runner's own switches that the golden games do not use (the games themselves are
// tests/golden_test.cpp).
#include <gtest/gtest.h>

#include <filesystem>

#include "sim_support.h"

namespace vartenos::testes {
namespace {

TEST(Sim, PicturesOfChosenPresents) {
  const std::string dir = PastaTemporaria();
  const Execucao e = RodarSim("--args \"/sa /sp\" --until 100 --png 2:" + dir + "/menu.png", "", false);
  ASSERT_EQ(e.status, 0) << e.erros;
  const std::string png = LerArquivo(dir + "/menu.png");
  ASSERT_GT(png.size(), 1000u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x02\x80\0\0\x01\xE0", 8));  // 640 x 480
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vartenos::testes
