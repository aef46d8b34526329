// Until the mixer and the music player exist, sound and music are silent no-ops.
#include "shell/form1.h"

namespace vartenos {

void Form1::InitDirectSound() {}
void Form1::Sem_Som() {}
void Form1::Com_Som() {}
void Form1::InicializaDM() {}
void Form1::TocaMidi(const std::string& /*MidiString*/) {}
void Form1::Para_Midi() {}
void Form1::Liberar_Som() {}

}  // namespace vartenos
