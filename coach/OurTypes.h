#pragma once

namespace tovren {

// The coach task that chooses the own field players' types. Its rates come from
// "./Configs/OurTypesRates.conf", read once while it is built, before the coach connects.
class OurTypes {
 public:
  // One row per weighed player type parameter; column 0 is its total rate, columns 1 to
  // 6 its rates for the six position groups.
  static const int rateRows = 11;
  static const int rateColumns = 7;

  OurTypes();
  OurTypes(const OurTypes&) = delete;
  OurTypes& operator=(const OurTypes&) = delete;
  virtual ~OurTypes();

  // Fills every cell of the rates from the file; a file that lacks any of them stops the
  // process.
  void loadOurTypesRates();
  float getRate(int row, int column) const { return rates[row][column]; }

 private:
  float rates[rateRows][rateColumns] = {};
};

}  // namespace tovren
