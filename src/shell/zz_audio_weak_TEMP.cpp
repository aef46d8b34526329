// TEMPORARY (removed at integration): weak no-op audio so the shell links while audio is in progress.
#include "shell/form1.h"

namespace vartenos {
__attribute__((weak)) void Form1::InitDirectSound() {}
__attribute__((weak)) void Form1::Sem_Som() {}
__attribute__((weak)) void Form1::Com_Som() {}
__attribute__((weak)) void Form1::InicializaDM() {}
__attribute__((weak)) void Form1::TocaMidi(const std::string&) {}
__attribute__((weak)) void Form1::Para_Midi() {}
__attribute__((weak)) void Form1::Liberar_Som() {}
}  // namespace vartenos
