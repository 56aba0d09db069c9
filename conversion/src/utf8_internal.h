// For the library's own tests: the UTF-8 conversions have a wide kernel
// (AVX2, chosen at run time) and a baseline one, and both must give the same
// bytes. Not part of the installed interface.
#pragma once

namespace glimvane::internal {

// Whether this machine runs the wide kernel at all.
bool Utf8WideKernelAvailable();
// Lets the conversions use the wide kernel (the default) or holds them to
// the baseline one.
void AllowUtf8WideKernel(bool allowed);

}  // namespace glimvane::internal
