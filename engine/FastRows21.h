// The choice between filter 21's row loops, for tests: where the processor has
// AVX-512 the pass takes the loop written for it, elsewhere the portable one.
#pragma once

namespace tintwell::fast {

// Makes filter 21 take the portable row loop also where AVX-512 is available
// (true), or the best loop the processor runs again (false). Set it between
// passes, not during one.
void setPortableRows21(bool portable);

} // namespace tintwell::fast
