// The file and memory-buffer entry points of the cost database archive.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDebug>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fstream>
#include <iostream>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

#include "costdata/CostDatabase.h"
#include "persistence/ArchiveTraits.h"

namespace VelkData {

namespace {

// Reads a caller's block in place; seeking lets the reader learn how many
// bytes remain.
class ArrayReadBuffer : public std::streambuf {
 public:
  ArrayReadBuffer(char* data, std::size_t size) {
    setg(data, data, data + size);
  }

 protected:
  pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                   std::ios_base::openmode which) override {
    if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
    char* base = direction == std::ios_base::beg   ? eback()
                 : direction == std::ios_base::cur ? gptr()
                                                   : egptr();
    const off_type target = (base - eback()) + offset;
    if (target < 0 || target > egptr() - eback()) {
      return pos_type(off_type(-1));
    }
    setg(eback(), eback() + target, egptr());
    return pos_type(target);
  }
  pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
    return seekoff(off_type(position), std::ios_base::beg, which);
  }
};

// Collects an archive being written in blocks that never move, so that its
// bytes are copied once, into the caller's block, when complete: a string
// buffer copies them again at every growth and once more to hand them out.
class BlockWriteBuffer : public std::streambuf {
 public:
  BlockWriteBuffer() = default;
  BlockWriteBuffer(const BlockWriteBuffer&) = delete;
  BlockWriteBuffer& operator=(const BlockWriteBuffer&) = delete;

  std::size_t size() const { return filled_ + (pptr() - pbase()); }

  // REQUIRES: `target` has room for size() bytes.
  void copyTo(char* target) const {
    for (const Block& block : blocks_) {
      const std::size_t used = &block == &blocks_.back()
                                   ? static_cast<std::size_t>(pptr() - pbase())
                                   : block.used;
      std::memcpy(target, block.bytes.get(), used);
      target += used;
    }
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof()))
      return traits_type::not_eof(c);
    if (!blocks_.empty()) {
      blocks_.back().used = static_cast<std::size_t>(pptr() - pbase());
      filled_ += blocks_.back().used;
    }
    // Blocks grow with the archive, so that a small one costs little and a
    // large one few blocks.
    const std::size_t length =
        blocks_.empty() ? kFirstBlock
                        : std::min(2 * blocks_.back().length, kLargestBlock);
    blocks_.push_back(
        Block{std::unique_ptr<char[]>(new char[length]), length, 0});
    char* begin = blocks_.back().bytes.get();
    setp(begin, begin + length);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }

 private:
  static constexpr std::size_t kFirstBlock = std::size_t(4) << 10;
  static constexpr std::size_t kLargestBlock = std::size_t(1) << 20;
  struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t length;
    std::size_t used;
  };
  std::vector<Block> blocks_;
  std::size_t filled_ = 0;
};

// Largest database file read into memory before it is parsed; as much as
// the reader allows any stream whose size it cannot learn.
const std::streamoff kWholeFileLimit = CheckedIArchive::kUnseekableLimit;

[[noreturn]] void throwWriteError(const std::string& detail) {
  throw boost::archive::archive_exception(
      boost::archive::archive_exception::output_stream_error, detail.c_str());
}

// The permissions a file made at `path` by an ordinary stream would get,
// or those of the file it replaces, so that saving does not change who may
// read the database.
mode_t permissionsFor(const char* path) {
  struct stat existing;
  if (::stat(path, &existing) == 0) return existing.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void CostDatabase::ToFile(const CostDatabase& db, const char* path) const {
  if (path == nullptr || *path == '\0') throwWriteError("no path");
  // The new archive is written beside the old file and renamed over it
  // only when complete: a failure half way must not cost the user both.
  std::string temporaryPath = std::string(path) + ".XXXXXX";
  std::vector<char> name(temporaryPath.begin(), temporaryPath.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) throwWriteError(path);
  temporaryPath.assign(name.data());
  try {
    ::fchmod(fd, permissionsFor(path));
    {
      __gnu_cxx::stdio_filebuf<char> file(
          fd, std::ios_base::out | std::ios_base::binary);
      {
        boost::archive::binary_oarchive archive(file);
        archive << db;
      }
      if (file.pubsync() != 0) throwWriteError(temporaryPath);
      if (::fsync(fd) != 0) throwWriteError(temporaryPath);
      // Closing the buffer closes the descriptor.
      if (file.close() == nullptr) throwWriteError(temporaryPath);
    }
    if (std::rename(temporaryPath.c_str(), path) != 0) throwWriteError(path);
  } catch (...) {
    ::unlink(temporaryPath.c_str());
    throw;
  }
}

bool CostDatabase::FromFile(const QString& path, CostDatabase& db) {
  std::ifstream file(path.toStdString(),
                     std::ios_base::in | std::ios_base::binary);
  try {
    // The reader asks for the bytes left before every text and collection,
    // which on a file stream costs a system call each time; a file of
    // ordinary size is therefore read whole and parsed in memory. A stream
    // that cannot tell its size, claims none or is very large is read as it
    // comes.
    std::string bytes;
    std::streambuf& buffer = *file.rdbuf();
    const std::streamoff size =
        buffer.pubseekoff(0, std::ios_base::end, std::ios_base::in);
    if (size > 0 && size <= kWholeFileLimit &&
        buffer.pubseekpos(0, std::ios_base::in) == 0) {
      bytes.resize(static_cast<std::size_t>(size));
      bytes.resize(static_cast<std::size_t>(buffer.sgetn(&bytes[0], size)));
    }
    {
      ArrayReadBuffer memory(&bytes[0], bytes.size());
      CheckedIArchive archive(bytes.empty() ? buffer : memory);
      archive >> db;
    }
    db.releaseLoadedObjectsOwnedElsewhere();
  } catch (const boost::archive::archive_exception& e) {
    qDebug("Exception when deserializing cost database from file\n%s:\n%s",
           path.toLocal8Bit().constData(), e.what());
    return false;
  }
  return true;
}

CostDatabase::SerializedDB* CostDatabase::ToCharArray(const CostDatabase& db) {
  BlockWriteBuffer buffer;
  {
    boost::archive::binary_oarchive archive(buffer);
    archive << db;
  }
  const std::size_t size = buffer.size();
  SerializedDB* serialized = new SerializedDB;
  serialized->data = nullptr;
  serialized->size = 0;
  // The record counts bytes in an int; a larger archive cannot be handed
  // out whole.
  if (size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
    qDebug("Error while copying serialized data\n");
    return serialized;
  }
  serialized->data = new char[size];
  buffer.copyTo(serialized->data);
  serialized->size = static_cast<int>(size);
  std::cout << "ToCharArray ... ARRAY SIZE is" << serialized->size << std::endl;
  return serialized;
}

bool CostDatabase::FromCharArray(char* data, int size, CostDatabase& db) {
  try {
    if (data == nullptr) {
      throw boost::archive::archive_exception(
          boost::archive::archive_exception::input_stream_error, "no data");
    }
    if (size < 0) {
      throw boost::archive::archive_exception(
          boost::archive::archive_exception::input_stream_error,
          "negative size");
    }
    ArrayReadBuffer buffer(data, static_cast<std::size_t>(size));
    std::istream stream(&buffer);
    {
      CheckedIArchive archive(stream);
      archive >> db;
    }
    db.releaseLoadedObjectsOwnedElsewhere();
  } catch (const std::exception& e) {
    qDebug("Error while reading CostDataBase! \n");
    qDebug("%s", e.what());
    return false;
  }
  return true;
}

void CostDatabase::releaseLoadedObjectsOwnedElsewhere() {
  archive_detail::LoadKeepAlive::pruneOwnedElsewhere(loadedObjects_);
}

int CostDatabase::loadedObjectCount() const {
  return static_cast<int>(loadedObjects_.size());
}

void CostDatabase::ReleaseSerializedDB(SerializedDB* serialized) {
  if (serialized == nullptr) return;
  delete[] serialized->data;
  delete serialized;
}

}  // namespace VelkData
