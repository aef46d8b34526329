// Fixed screen texts shared by several screens.
#pragma once

namespace vartenos {

// The notice line under the title; the intro and the credits end it with a full stop.
inline constexpr const char* kLinhaAviso = "© 2002 Quindar - Todos os direitos reservados";
inline constexpr const char* kLinhaAvisoPonto = "© 2002 Quindar - Todos os direitos reservados.";

}  // namespace vartenos
