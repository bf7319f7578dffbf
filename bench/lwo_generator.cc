#include "bench/lwo_generator.h"

#include <math.h>
#include <stdint.h>
#include <string.h>

#include <random>

namespace qkbench {
namespace {

// Big-endian IFF output with chunks whose sizes are filled in when they end.
class IffWriter {
 public:
  void u8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void u16(uint32_t v) {
    u8(static_cast<uint8_t>(v >> 8));
    u8(static_cast<uint8_t>(v));
  }
  void u32(uint32_t v) {
    u16(v >> 16);
    u16(v & 0xFFFF);
  }
  void f32(float v) {
    uint32_t bits;
    memcpy(&bits, &v, sizeof bits);
    u32(bits);
  }
  // A zero-terminated string padded to an even length.
  void s0(const char* text) {
    bytes_.append(text, strlen(text) + 1);
    if (strlen(text) % 2 == 0) u8(0);
  }
  // A variable-length index: 2 bytes below 0xFF00, else 4 with FF first.
  void vx(uint32_t index) {
    if (index < 0xFF00) {
      u16(index);
    } else {
      u32(0xFF000000u | index);
    }
  }
  void tag(const char* id) { bytes_.append(id, 4); }

  // Starts a chunk `id` with a 32-bit size; returns where its size goes.
  size_t begin(const char* id) {
    tag(id);
    u32(0);
    return bytes_.size();
  }
  // Ends the chunk begun at `start`: pads it to even length and stores its size.
  void end(size_t start) {
    uint32_t size = static_cast<uint32_t>(bytes_.size() - start);
    if (size % 2 != 0) u8(0);
    for (int i = 0; i < 4; ++i)
      bytes_[start - 4 + i] = static_cast<char>(size >> (8 * (3 - i)));
  }

  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

// Bytes per grid point: a point, its UV, about one quad and its tag, with
// 2-byte indices below 0xFF00 points and 4-byte ones above.
constexpr size_t kBytesPerPointShort = 12 + 10 + 10 + 4;
constexpr size_t kBytesPerPointLong = 12 + 12 + 18 + 6;

// The grid side that gives about `targetBytes`.
uint32_t sideFor(size_t targetBytes) {
  double points = static_cast<double>(targetBytes / kBytesPerPointShort);
  if (points >= 0xFF00) points = static_cast<double>(targetBytes / kBytesPerPointLong);
  uint32_t side = static_cast<uint32_t>(sqrt(points));
  return side < 2 ? 2 : side;
}

struct Grid {
  uint32_t side;  // points along each edge
  uint32_t points() const { return side * side; }
  uint32_t index(uint32_t x, uint32_t y) const { return y * side + x; }
};

// Heights of a rolling surface with a little noise, as a sculpt has.
void writePoints(IffWriter& w, const Grid& g, float extent) {
  std::mt19937 noise(20240601);
  std::uniform_real_distribution<float> jitter(-0.002f, 0.002f);
  size_t chunk = w.begin("PNTS");
  for (uint32_t y = 0; y < g.side; ++y) {
    for (uint32_t x = 0; x < g.side; ++x) {
      float u = static_cast<float>(x) / static_cast<float>(g.side - 1);
      float v = static_cast<float>(y) / static_cast<float>(g.side - 1);
      w.f32((u - 0.5f) * extent + jitter(noise));
      w.f32(0.08f * extent * sinf(u * 17.0f) * cosf(v * 11.0f) + jitter(noise));
      w.f32((v - 0.5f) * extent + jitter(noise));
    }
  }
  w.end(chunk);
  chunk = w.begin("BBOX");
  for (float s : {-0.5f, 0.5f}) {
    w.f32(s * extent);
    w.f32(s * 0.16f * extent);
    w.f32(s * extent);
  }
  w.end(chunk);
}

void writeUvMap(IffWriter& w, const Grid& g) {
  size_t chunk = w.begin("VMAP");
  w.tag("TXUV");
  w.u16(2);
  w.s0("UVMap");
  for (uint32_t y = 0; y < g.side; ++y) {
    for (uint32_t x = 0; x < g.side; ++x) {
      w.vx(g.index(x, y));
      w.f32(static_cast<float>(x) / static_cast<float>(g.side - 1));
      w.f32(static_cast<float>(y) / static_cast<float>(g.side - 1));
    }
  }
  w.end(chunk);
}

void writeQuads(IffWriter& w, const Grid& g) {
  size_t chunk = w.begin("POLS");
  w.tag("FACE");
  for (uint32_t y = 0; y + 1 < g.side; ++y) {
    for (uint32_t x = 0; x + 1 < g.side; ++x) {
      w.u16(4);
      w.vx(g.index(x, y));
      w.vx(g.index(x, y + 1));
      w.vx(g.index(x + 1, y + 1));
      w.vx(g.index(x + 1, y));
    }
  }
  w.end(chunk);
  chunk = w.begin("PTAG");
  w.tag("SURF");
  uint32_t quads = (g.side - 1) * (g.side - 1);
  for (uint32_t q = 0; q < quads; ++q) {
    w.vx(q);
    w.u16(0);
  }
  w.end(chunk);
}

void writeSurface(IffWriter& w) {
  size_t chunk = w.begin("SURF");
  w.s0("Default");
  w.s0("");
  w.tag("COLR");
  w.u16(14);
  for (float c : {0.78f, 0.72f, 0.64f}) w.f32(c);
  w.u16(0);
  w.end(chunk);
}

}  // namespace

std::string generateLwo(size_t targetBytes) {
  Grid grid{sideFor(targetBytes)};
  IffWriter w;
  size_t form = w.begin("FORM");
  w.tag("LWO2");
  size_t chunk = w.begin("TAGS");
  w.s0("Default");
  w.end(chunk);
  chunk = w.begin("LAYR");
  w.u16(0);
  w.u16(0);
  for (int i = 0; i < 3; ++i) w.f32(0.0f);
  w.s0("");
  w.end(chunk);
  writePoints(w, grid, 4.0f);
  writeUvMap(w, grid);
  writeQuads(w, grid);
  writeSurface(w);
  w.end(form);
  return std::move(w.bytes());
}

}  // namespace qkbench
