// A GLSL compiler's log names places by source string, "0:12(5):" or
// "0(12) :", which says nothing to a maker with several files open. These
// rewrite them to the file the text came from, "glsl/plasma.frag:12:5:", the
// form editors and terminals jump to. Depends on the standard library only.
#pragma once

#include <string>

namespace MivexGL
{

// log with each line's leading place (after an optional "ERROR: " or
// "WARNING: ") put as file:line[:column]:. The file is shown relative to the
// working folder when it lies inside it. Lines with no place stay as they are.
std::string PlaceShaderLog(const std::string& log, const std::string& file);

} // namespace MivexGL
