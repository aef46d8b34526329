// A game just started on the headless platform, with the built data: the fixture of the game-rule tests.
#pragma once

#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"
#include "shell/form1.h"

namespace vartenos {

class Partida : public ::testing::Test {
 protected:
  Partida() {
    form.Form_Load("/sa /sp");
    form.Reseta_Jogo();
  }
  HeadlessPlatform plataforma;
  Form1 form{plataforma, VARTENOS_BUILD_DATA, nullptr};
};

}  // namespace vartenos
