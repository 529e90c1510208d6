// Test seam of the window system: the whole-word search behind
// HasWglExtension, so tests can check it on strings of their own. Only tests
// include this header; the program reaches it through HasWglExtension.
// Depends on nothing.
#pragma once

namespace MivexGL
{

// Whether name is one whole space-separated word of extensions.
bool HasWholeWord(const char* extensions, const char* name);

} // namespace MivexGL
