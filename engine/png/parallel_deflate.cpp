#include "engine/png/parallel_deflate.h"

#include <algorithm>

#include "engine/byte_order.h"

namespace quorvant::engine::png {

namespace {

struct Block {
  size_t begin = 0, end = 0;  // the block's bytes within the part
  std::vector<uint8_t> compressed;
  uLong adler = 1;
  bool ok = false;
};

// A deflate stream that is ended however its function is left.
struct Deflater {
  z_stream z{};
  bool ready = false;
  ~Deflater() {
    if (ready) deflateEnd(&z);
  }
};

// A raw deflate stream (no zlib header; the joined stream gets one) that
// ends its block with a sync flush, or ends the stream. Running out of
// memory throws, and the pool hands that to the conversion.
bool deflate_block(std::span<const uint8_t> data, Block& block, bool ends_stream, int strategy) {
  Deflater deflater;
  z_stream& z = deflater.z;
  deflater.ready = deflateInit2(&z, 6, Z_DEFLATED, -15, 8, strategy) == Z_OK;
  if (!deflater.ready) return false;
  const size_t dictionary_begin = block.begin > ParallelDeflate::kWindow ? block.begin - ParallelDeflate::kWindow : 0;
  if (block.begin > dictionary_begin &&
      deflateSetDictionary(&z, data.data() + dictionary_begin, static_cast<uInt>(block.begin - dictionary_begin)) !=
          Z_OK) {
    return false;
  }
  const size_t length = block.end - block.begin;
  block.compressed.resize(deflateBound(&z, length) + 64);
  z.next_in = const_cast<Bytef*>(data.data() + block.begin);
  z.avail_in = static_cast<uInt>(length);
  z.next_out = block.compressed.data();
  z.avail_out = static_cast<uInt>(block.compressed.size());
  const int result = deflate(&z, ends_stream ? Z_FINISH : Z_SYNC_FLUSH);
  // The bound leaves room for everything, so one call finishes.
  const bool ok = (ends_stream ? result == Z_STREAM_END : result == Z_OK) && z.avail_in == 0;
  block.compressed.resize(z.total_out);
  block.adler = adler32(1, data.data() + block.begin, static_cast<uInt>(length));
  return ok;
}

}  // namespace

ParallelDeflate::ParallelDeflate(int strategy, WorkerPool& pool) : strategy_(strategy), pool_(pool) {}

bool ParallelDeflate::add(std::span<const uint8_t> data, size_t history, bool last, std::vector<uint8_t>& out) {
  if (!started_) {
    // CMF: deflate with a 32 KiB window; FLG: the default level, and the
    // check bits that make CMF·256 + FLG a multiple of 31.
    out.push_back(0x78);
    out.push_back(0x9C);
    started_ = true;
  }
  std::vector<Block> blocks;
  for (size_t begin = history; begin < data.size() || blocks.empty(); begin += kBlockSize) {
    Block& block = blocks.emplace_back();
    block.begin = begin;
    block.end = std::min(data.size(), begin + kBlockSize);
    if (begin >= data.size()) break;
  }
  pool_.run(blocks.size(), [&](size_t i) {
    blocks[i].ok = deflate_block(data, blocks[i], last && i + 1 == blocks.size(), strategy_);
  });
  for (const Block& block : blocks) {
    if (!block.ok) return false;
    out.insert(out.end(), block.compressed.begin(), block.compressed.end());
    adler_ = adler32_combine(adler_, block.adler, static_cast<z_off_t>(block.end - block.begin));
  }
  if (last) {
    uint8_t checksum[4];
    store_be32(checksum, static_cast<uint32_t>(adler_));
    out.insert(out.end(), checksum, checksum + 4);
  }
  return true;
}

}  // namespace quorvant::engine::png
