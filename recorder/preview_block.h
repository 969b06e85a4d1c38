#pragma once
// The capture preview block: shared memory that this program creates and the capture tool
// fills with scaled frames of the screen or window being previewed.
//
// Layout (little-endian 32-bit words): a 64-byte header - magic "QVPV", capacity of the pixel
// area, sequence (odd while the writer fills a frame, even when complete, 0 = no frame yet),
// width, height, 44 reserved zero bytes - then 1280 x 720 pixels of 4 bytes (blue, green, red,
// unused), rows top to bottom without padding.
//
// One implementation per system, without Qt, so the Windows one is tested on its own:
//   Windows  a page-file backed mapping named "Local\QuorvelPreview-<pid>" (preview_block_win.cpp)
//   POSIX    the file "QuorvelPreview-<pid>" in the engine link's runtime folder, mode 0600,
//            mapped shared (preview_block_posix.cpp); its full path is the block's name.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qv::rec {

inline constexpr std::size_t kPreviewHeaderSize = 64;
inline constexpr std::uint32_t kPreviewMaxWidth = 1280;
inline constexpr std::uint32_t kPreviewMaxHeight = 720;
inline constexpr std::size_t kPreviewPixelBytes =
    std::size_t(kPreviewMaxWidth) * kPreviewMaxHeight * 4;
inline constexpr std::size_t kPreviewBlockSize = kPreviewHeaderSize + kPreviewPixelBytes;

// Header word offsets.
inline constexpr std::size_t kPreviewMagicOffset = 0;
inline constexpr std::size_t kPreviewCapacityOffset = 4;
inline constexpr std::size_t kPreviewSequenceOffset = 8;
inline constexpr std::size_t kPreviewWidthOffset = 12;
inline constexpr std::size_t kPreviewHeightOffset = 16;
// "QVPV" as it reads from memory as a little-endian word.
inline constexpr std::uint32_t kPreviewMagic = 0x56505651u;

// Zeroes the header and writes the magic and the capacity; the sequence starts at 0.
void initPreviewHeader(unsigned char* block);

class PreviewBlock {
public:
    PreviewBlock();
    ~PreviewBlock(); // release()
    PreviewBlock(const PreviewBlock&) = delete;
    PreviewBlock& operator=(const PreviewBlock&) = delete;

    // Creates the block of kPreviewBlockSize bytes for process `pid`, maps it read/write and
    // initialises the header. False (and nothing held) when it cannot be created, including when
    // somebody else already holds the name.
    bool create(unsigned long pid);
    // Unmaps and closes the block; the POSIX file is removed.
    void release();

    bool valid() const { return data_ != nullptr; }
    // What the capture tool is given as "--preview" (UTF-8); empty when not created.
    const std::string& name() const { return name_; }
    unsigned char* data() const { return data_; }
    // The bytes that may be read now: 0 when not created. On POSIX the tool can truncate the
    // file, and touching the mapping beyond its end would fault, so this is the file's present
    // length (at most kPreviewBlockSize), asked before every read; a short block reads as torn.
    std::size_t size() const;
    // Why the last create() failed (for logs); empty after a success.
    const std::string& error() const { return error_; }

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    unsigned char* data_ = nullptr;
    std::string name_;
    std::string error_;
};

} // namespace qv::rec
