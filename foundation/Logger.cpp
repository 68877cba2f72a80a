#include "foundation/Logger.h"

#include "foundation/Check.h"
#include "foundation/Timer.h"
#include "geometry/Vector.h"

#include <charconv>
#include <cmath>
#include <iostream>

namespace tovren {

Logger::LogStreams* Logger::logStreams = nullptr;
Logger logger;

namespace {

// Every log writes its numbers fixed with this many decimals.
constexpr int kDecimals = 2;
// The longest fixed text of a finite double: its sign, 309 digits, the point and the
// decimals.
constexpr std::size_t kFixedTextSize = 320;

void setTwoDecimals(std::ostream& stream) {
  stream.setf(std::ios_base::fixed, std::ios_base::floatfield);
  stream.precision(kDecimals);
}

// Zero-padded to at least four digits, as unsigned; written unformatted, so that whatever
// format state the stream holds (a base, a pending width) stays for the caller's value.
// Every line starts with one: no format string is read for it.
void writeNumber(std::ostream& out, long value) {
  constexpr int kLeastDigits = 4;
  char digits[32];
  char* const end = digits + sizeof digits;
  char* first = end;
  unsigned long rest = static_cast<unsigned long>(value);
  do {
    *--first = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  while (end - first < kLeastDigits) *--first = '0';
  out.write(first, end - first);
}

}  // namespace

LogStream::LogStream(std::ostream* out, const Timer* timer) : out(out), timer(timer) {
  if (out != nullptr) setTwoDecimals(*out);
}

LogStream::~LogStream() = default;

void LogStream::setOut(std::ostream* newOut) {
  out = newOut;
  if (out != nullptr) setTwoDecimals(*out);
}

void LogStream::writePrefix() {
  lineStart = false;
  out->write("  ", 2);
  writeNumber(*out, timer != nullptr ? timer->now() : 0);
  out->write(". ", 2);
}

LogStream& LogStream::operator<<(double value) {
  if (out == nullptr) return *this;
  if (lineStart) writePrefix();
  constexpr std::ios_base::fmtflags kShape =
      std::ios_base::floatfield | std::ios_base::showpos | std::ios_base::showpoint;
  if ((out->flags() & kShape) == std::ios_base::fixed && out->precision() == kDecimals &&
      out->width() == 0 && std::isfinite(value)) {
    // The same digits as the stream's own "%.2f" of the classic locale, correctly rounded.
    char text[kFixedTextSize];
    const std::to_chars_result written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, kDecimals);
    if (written.ec == std::errc()) {
      out->write(text, written.ptr - text);
      return *this;
    }
  }
  *out << value;
  return *this;
}

LogStream& LogStream::operator<<(const Point& point) {
  return *this << "(" << point.x << "," << point.y << ")";
}

LogStream& LogStream::operator<<(const Vector& vector) {
  return *this << "(" << vector.getX() << "," << vector.getY() << ")";
}

LogStream& LogStream::operator<<(std::ostream& (*manipulator)(std::ostream&)) {
  if (out == nullptr) return *this;
  manipulator(*out);
  if (manipulator == static_cast<std::ostream& (*)(std::ostream&)>(std::endl)) lineStart = true;
  return *this;
}

LogStream& LogStream::operator<<(std::ios& (*manipulator)(std::ios&)) {
  if (out != nullptr) manipulator(*out);
  return *this;
}

LogStream& LogStream::operator<<(std::ios_base& (*manipulator)(std::ios_base&)) {
  if (out != nullptr) manipulator(*out);
  return *this;
}

void LogStream::newCycle() {
  if (out == nullptr) return;
  *out << std::endl;
  out->put('[');
  writeNumber(*out, timer != nullptr ? timer->getCycle() : 0);
  out->put(']');
  *out << std::endl;
}

LogNull::LogNull() : LogStream(nullptr, nullptr) {}

LogStdOut::LogStdOut(const Timer* timer) : LogStream(&std::cout, timer) {}

LogStdErr::LogStdErr(const Timer* timer) : LogStream(&std::cerr, timer) {}

LogFile::LogFile(const std::string& path, const Timer* timer)
    : LogStream(nullptr, timer),
      file(std::make_unique<std::ofstream>(path, std::ios_base::out | std::ios_base::trunc)),
      path(path) {
  setOut(file.get());
}

// The base never touches its stream on destruction, so the file may close first.
LogFile::~LogFile() = default;

Logger::Logger() {
  if (logStreams == nullptr) logStreams = new LogStreams();
}

void Logger::add(const std::string& name, LogStream* stream) {
  TOVREN_CHECK(logStreams);
  // Owned from here on, also when refused.
  std::unique_ptr<LogStream> owned(stream);
  if (owned == nullptr || logStreams->streams.count(name) != 0) return;
  logStreams->streams.emplace(name, std::move(owned));
}

bool Logger::isRegistered(const std::string& name) const {
  TOVREN_CHECK(logStreams);
  return logStreams->streams.count(name) != 0;
}

LogStream& Logger::operator[](const std::string& name) const {
  TOVREN_CHECK(logStreams);
  auto found = logStreams->streams.find(name);
  if (found == logStreams->streams.end()) return logStreams->logNull;
  return *found->second;
}

LogStream* Logger::getWriting(const std::string& name) const {
  LogStream& log = (*this)[name];
  return log.isOutValid() ? &log : nullptr;
}

}  // namespace tovren
