#include "zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace vorlane::update::test {
namespace {

void Put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Raw deflate (no zlib header), as ZIP method 8 stores it.
std::string Deflate(const std::string& data) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (result != Z_STREAM_END) throw std::runtime_error("deflate");
  return out;
}

}  // namespace

std::string MakeZip(const std::vector<ZipEntry>& entries, const std::string& comment) {
  constexpr unsigned kDosTime = (12 << 11) | (30 << 5);                // 12:30:00
  constexpr unsigned kDosDate = ((2013 - 1980) << 9) | (11 << 5) | 9;  // 2013-11-09
  std::string archive, directory;
  for (const ZipEntry& e : entries) {
    const auto size = static_cast<std::uint32_t>(e.declaredSize.value_or(e.data.size()));
    const size_t described = std::min<size_t>(size, e.data.size());
    std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(described)));
    if (e.wrongCrc) crc ^= 0xFFFFFFFFu;
    const std::string stored = e.deflate ? Deflate(e.data) : e.data;
    const unsigned flags = e.utf8Name ? 1u << 11 : 0;
    const unsigned method = e.deflate ? 8 : 0;
    const auto offset = static_cast<std::uint32_t>(archive.size());
    const bool folder = !e.name.empty() && e.name.back() == '/';

    Put32(archive, 0x04034b50);
    Put16(archive, 20);
    Put16(archive, flags);
    Put16(archive, method);
    Put16(archive, kDosTime);
    Put16(archive, kDosDate);
    Put32(archive, crc);
    Put32(archive, static_cast<std::uint32_t>(stored.size()));
    Put32(archive, size);
    Put16(archive, static_cast<unsigned>(e.name.size()));
    Put16(archive, 0);
    archive += e.name;
    archive += stored;

    Put32(directory, 0x02014b50);
    Put16(directory, 20);
    Put16(directory, 20);
    Put16(directory, flags);
    Put16(directory, method);
    Put16(directory, kDosTime);
    Put16(directory, kDosDate);
    Put32(directory, crc);
    Put32(directory, static_cast<std::uint32_t>(stored.size()));
    Put32(directory, size);
    Put16(directory, static_cast<unsigned>(e.name.size()));
    Put16(directory, 0);                  // extra
    Put16(directory, 0);                  // comment
    Put16(directory, 0);                  // disk
    Put16(directory, 0);                  // internal attributes
    Put32(directory, folder ? 0x10 : 0);  // external: the DOS folder attribute
    Put32(directory, offset);
    directory += e.name;
  }
  const auto directoryAt = static_cast<std::uint32_t>(archive.size());
  archive += directory;
  Put32(archive, 0x06054b50);
  Put16(archive, 0);
  Put16(archive, 0);
  Put16(archive, static_cast<unsigned>(entries.size()));
  Put16(archive, static_cast<unsigned>(entries.size()));
  Put32(archive, static_cast<std::uint32_t>(directory.size()));
  Put32(archive, directoryAt);
  Put16(archive, static_cast<unsigned>(comment.size()));
  archive += comment;
  return archive;
}

}  // namespace vorlane::update::test
