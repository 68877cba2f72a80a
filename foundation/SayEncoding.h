#pragma once

#include <string>

namespace tovren {

// Packs numbers into say messages: each number becomes exactly three characters of a
// 73-character alphabet, least significant digit first. Encoders append to `out`;
// decoders read msg[pos..pos+2] and answer false, leaving their outputs unchanged,
// when those characters are missing or outside the alphabet (heard text is untrusted).
class SayEncoding {
 public:
  // The alphabet; a character's value is its index. Set during static initialisation.
  static const std::string sayCodeKey;

  // The value of c, or -1 for a character outside the alphabet.
  static int getCharNum(char c);

  // value within [min, max] on a grid of (max - min) / 389016; clamped outside.
  static void encodeWeight(float value, float min, float max, std::string& out);
  static bool decodeWeight(const std::string& msg, unsigned int pos, float& weight, float min,
                           float max);

  // A field position (metres) on a 0.2 m grid over x in [-53, 53), y in [-35, 35];
  // decoding gives the lower-left corner of the cell.
  static void encodeObjectPosition(float x, float y, std::string& out);
  static bool decodeObjectPosition(const std::string& msg, unsigned int pos, float& x, float& y);

  // A speed (metres per cycle, 0.01 steps up to 2.7) and a direction (degrees, 0.25
  // steps); the direction decodes into [0, 360).
  static void encodeObjectVelocity(float speed, float direction, std::string& out);
  static bool decodeObjectVelocity(const std::string& msg, unsigned int pos, float& speed,
                                   float& direction);

 private:
  static void appendPacked(int n, std::string& out);
  static bool readPacked(const std::string& msg, unsigned int pos, int& n);
};

}  // namespace tovren
