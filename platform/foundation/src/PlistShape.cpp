// The shape of a property list, read before libplist builds a tree of it: the
// library recurses once per level while parsing and again while freeing, so a
// file nested a few hundred thousand levels deep would crash every reader.
#include "PlistShape.h"

#include <cstdint>
#include <vector>

namespace foundation {

namespace {

bool startsWith(std::string_view s, std::size_t at, std::string_view prefix) {
  return s.size() - at >= prefix.size() && s.compare(at, prefix.size(), prefix) == 0;
}

// Skips to just past `end`, or to the end of the text.
std::size_t skipPast(std::string_view s, std::size_t at, std::string_view end) {
  std::size_t found = s.find(end, at);
  return found == std::string_view::npos ? s.size() : found + end.size();
}

bool isContainerTag(std::string_view s, std::size_t nameStart, std::string_view name) {
  if (!startsWith(s, nameStart, name)) return false;
  std::size_t after = nameStart + name.size();
  return after < s.size() && (s[after] == '>' || s[after] == '/' || s[after] == ' ' || s[after] == '\t' ||
                              s[after] == '\r' || s[after] == '\n');
}

Status checkXml(std::string_view s, int maxDepth) {
  int depth = 0;
  for (std::size_t i = s.find('<'); i < s.size(); i = s.find('<', i)) {
    if (startsWith(s, i, "<!--")) {
      i = skipPast(s, i + 4, "-->");
    } else if (startsWith(s, i, "<![CDATA[")) {
      i = skipPast(s, i + 9, "]]>");
    } else if (startsWith(s, i, "<?")) {
      i = skipPast(s, i + 2, "?>");
    } else if (startsWith(s, i, "</")) {
      if (isContainerTag(s, i + 2, "array") || isContainerTag(s, i + 2, "dict")) --depth;
      i = skipPast(s, i + 2, ">");
    } else {
      bool container = isContainerTag(s, i + 1, "array") || isContainerTag(s, i + 1, "dict");
      std::size_t close = s.find('>', i + 1);
      if (close == std::string_view::npos) break;
      bool selfClosing = s[close - 1] == '/';
      if (container && !selfClosing && ++depth > maxDepth)
        return Error{"nested deeper than " + std::to_string(maxDepth - 1) + " levels"};
      i = close + 1;
    }
  }
  return Done{};
}

std::uint64_t readBigEndian(const unsigned char* p, unsigned size) {
  std::uint64_t v = 0;
  for (unsigned i = 0; i < size; ++i) v = (v << 8) | p[i];
  return v;
}

// The binary format: objects, a table of their offsets, and a 32-byte trailer.
// Containers refer to their elements by index, so a file may share elements
// or refer to itself; the walk below follows the references without
// recursion and refuses cycles.
Status checkBinary(std::string_view bytes, int maxDepth) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  if (size < 8 + 32) return Done{};  // libplist rejects it on its own
  const unsigned char* trailer = b + size - 32;
  unsigned offsetSize = trailer[6], refSize = trailer[7];
  std::uint64_t count = readBigEndian(trailer + 8, 8);
  std::uint64_t top = readBigEndian(trailer + 16, 8);
  std::uint64_t table = readBigEndian(trailer + 24, 8);
  if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || count == 0 || top >= count ||
      table >= size - 32 || count > (size - 32 - table) / offsetSize)
    return Error{"malformed binary property list"};

  auto offsetOf = [&](std::uint64_t object) { return readBigEndian(b + table + object * offsetSize, offsetSize); };
  // The elements of a container, as (first reference, number of references).
  auto elements = [&](std::uint64_t object, std::uint64_t* first, std::uint64_t* n) -> bool {
    std::uint64_t at = offsetOf(object);
    if (at >= table) return false;
    unsigned marker = b[at];
    unsigned type = marker >> 4, info = marker & 0x0f;
    if (type != 0xA && type != 0xC && type != 0xD) {
      *n = 0;
      return true;
    }
    std::uint64_t items = info, pos = at + 1;
    if (info == 0x0f) {
      if (pos >= table || (b[pos] >> 4) != 0x1) return false;
      unsigned width = 1u << (b[pos] & 0x0f);
      if (width > 8 || pos + 1 + width > table) return false;
      items = readBigEndian(b + pos + 1, width);
      pos += 1 + width;
    }
    if (type == 0xD) {
      if (items > (table - pos) / 2) return false;
      items *= 2;
    }
    if (items > (table - pos) / refSize) return false;
    *first = pos;
    *n = items;
    return true;
  };

  // The library reads text up to its first NUL, so a key or a name holding
  // one would silently become another; such text is refused instead.
  auto holdsNul = [&](std::uint64_t object) {
    std::uint64_t at = offsetOf(object);
    if (at >= table) return false;
    unsigned type = b[at] >> 4, info = b[at] & 0x0f;
    if (type != 0x5 && type != 0x6) return false;
    std::uint64_t length = info, pos = at + 1;
    if (info == 0x0f) {
      if (pos >= table || (b[pos] >> 4) != 0x1) return false;
      unsigned width = 1u << (b[pos] & 0x0f);
      if (width > 8 || pos + 1 + width > table) return false;
      length = readBigEndian(b + pos + 1, width);
      pos += 1 + width;
    }
    unsigned unit = type == 0x5 ? 1 : 2;
    if (length > (table - pos) / unit) return false;  // left to the parser
    for (std::uint64_t i = 0; i < length; ++i)
      if (b[pos + i * unit] == 0 && (unit == 1 || b[pos + i * unit + 1] == 0)) return true;
    return false;
  };

  enum : unsigned char { Unseen, Open, Closed };
  std::vector<unsigned char> state(count, Unseen);
  struct Frame {
    std::uint64_t object, first, n, next;
  };
  std::vector<Frame> path;
  auto enter = [&](std::uint64_t object) -> Status {
    if (state[object] == Open) return Error{"a collection contains itself"};
    if (state[object] == Closed) return Done{};
    if (holdsNul(object)) return Error{"text holding a NUL character"};
    Frame f{object, 0, 0, 0};
    if (!elements(object, &f.first, &f.n)) return Error{"malformed binary property list"};
    if (f.n == 0) {
      state[object] = Closed;
      return Done{};
    }
    if (static_cast<int>(path.size()) + 1 > maxDepth)
      return Error{"nested deeper than " + std::to_string(maxDepth - 1) + " levels"};
    state[object] = Open;
    path.push_back(f);
    return Done{};
  };
  // Shared elements are walked once. height[x] is the number of container
  // levels from x down (while x is open: the most seen below it so far), so a
  // closed element reached again is checked by where it is reached now.
  std::vector<std::uint32_t> height(count, 0);
  FOUNDATION_TRY(enter(top));
  while (!path.empty()) {
    Frame& f = path.back();
    if (f.next == f.n) {
      state[f.object] = Closed;
      std::uint32_t h = ++height[f.object];
      path.pop_back();
      if (!path.empty() && height[path.back().object] < h) height[path.back().object] = h;
      continue;
    }
    std::uint64_t child = readBigEndian(b + f.first + f.next * refSize, refSize);
    ++f.next;
    if (child >= count) return Error{"malformed binary property list"};
    if (state[child] == Closed) {
      if (path.size() + height[child] > static_cast<std::size_t>(maxDepth))
        return Error{"nested deeper than " + std::to_string(maxDepth - 1) + " levels"};
      if (height[f.object] < height[child]) height[f.object] = height[child];
      continue;
    }
    FOUNDATION_TRY(enter(child));
  }
  return Done{};
}

}  // namespace

Status checkPlistShape(std::string_view bytes, int maxDepth) {
  if (bytes.size() > kMaxPlistBytes) return Error{"larger than " + std::to_string(kMaxPlistBytes >> 20) + " MiB"};
  bool binary = bytes.size() >= 8 && bytes.substr(0, 6) == "bplist";
  return binary ? checkBinary(bytes, maxDepth) : checkXml(bytes, maxDepth);
}

}  // namespace foundation
