// A generator of LightWave objects (LWO2) of a chosen size, for the
// benchmark: one layer holding a rolling, subdivided surface, as an artist's
// scanned or sculpted mesh would, with its points, quads, a UV map and one
// surface.
#ifndef QK_BENCH_LWO_GENERATOR_H_
#define QK_BENCH_LWO_GENERATOR_H_

#include <stddef.h>

#include <string>

namespace qkbench {

// Returns the bytes of an LWO2 object of about `targetBytes` bytes (never
// less than a few hundred): a square grid of points with one quad per grid
// cell, a "TXUV" map over the grid and the surface "Default".
std::string generateLwo(size_t targetBytes);

}  // namespace qkbench

#endif  // QK_BENCH_LWO_GENERATOR_H_
