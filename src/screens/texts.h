// Fixed screen texts shared by several screens.
#pragma once

namespace vartenos {

// The notice line under the title (the intro and credits write it with a closing full stop).
inline constexpr const char* kLinhaAviso = "© 2002 Quindar - Todos os direitos reservados";

}  // namespace vartenos
