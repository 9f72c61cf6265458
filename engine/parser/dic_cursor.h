#pragma once

#include <cstdint>
#include <string_view>

// Reads the dictionary image without ever leaving it. The file is never
// trusted: every read says whether its bytes were inside the image, and
// offsets are 64-bit so that no sum of file numbers can wrap around.
class dic_cursor {
 public:
  dic_cursor(std::string_view image, uint64_t at) : image_(image), at_(at) {}

  uint64_t Offset() const { return at_; }
  bool Inside() const { return at_ < image_.size(); }

  // A little-endian 16-bit number.
  bool ReadWord(uint16_t& word) {
    if (at_ + 2 > image_.size()) return false;
    word = static_cast<uint16_t>(Byte(at_) | (Byte(at_ + 1) << 8));
    at_ += 2;
    return true;
  }

  // A NUL-terminated text, without its NUL; false when the image ends
  // before the NUL.
  bool ReadText(std::string_view& text) {
    if (!Inside()) return false;
    size_t end = image_.find('\0', static_cast<size_t>(at_));
    if (end == std::string_view::npos) return false;
    text = image_.substr(static_cast<size_t>(at_), end - static_cast<size_t>(at_));
    at_ = end + 1;
    return true;
  }

 private:
  unsigned Byte(uint64_t at) const { return static_cast<unsigned char>(image_[static_cast<size_t>(at)]); }

  std::string_view image_;
  uint64_t at_;
};

// A little-endian 32-bit number of the image; 0 where the image has no
// such bytes.
inline uint32_t read_dic_number(std::string_view image, uint64_t at) {
  if (at + 4 > image.size()) return 0;
  uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(image[static_cast<size_t>(at) + i]);
  return number;
}
