#pragma once

#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <string>

namespace tovren {

class Timer;
class Vector;
struct Point;

// A named log: inserts like an output stream, and starts every line with the time
// within the cycle ("  0042. "). Without an output stream every insert returns after
// one test, before any formatting, so the many log lines of the decisions cost nothing
// when their log is off.
class LogStream {
 public:
  // Both may be null. Sets the output stream to fixed notation with two decimals.
  LogStream(std::ostream* out, const Timer* timer);
  virtual ~LogStream();
  LogStream(const LogStream&) = delete;
  LogStream& operator=(const LogStream&) = delete;

  bool isOutValid() const { return out != nullptr; }

  // Any value with an output operator, preceded by the line prefix at a line start.
  template <typename T>
  LogStream& operator<<(const T& value) {
    if (out == nullptr) return *this;
    if (lineStart) writePrefix();
    *out << value;
    return *this;
  }
  // Floating-point numbers as the stream writes them; at the usual two fixed decimals
  // without its formatting machinery, which costs more than the rest of a log line.
  LogStream& operator<<(float value) { return *this << static_cast<double>(value); }
  LogStream& operator<<(double value);
  // "(x,y)", as their output operators write them, the numbers as above.
  LogStream& operator<<(const Point& point);
  LogStream& operator<<(const Vector& vector);
  // Manipulators are applied without a prefix; std::endl also starts a new line.
  LogStream& operator<<(std::ostream& (*manipulator)(std::ostream&));
  LogStream& operator<<(std::ios& (*manipulator)(std::ios&));
  LogStream& operator<<(std::ios_base& (*manipulator)(std::ios_base&));

  // An empty line and the cycle number in brackets; the line-start flag is untouched.
  void newCycle();

 protected:
  // For kinds that own their output stream and can give it only after construction.
  void setOut(std::ostream* newOut);

 private:
  void writePrefix();

  std::ostream* out;   // not owned; null discards everything
  const Timer* timer;  // not owned; null writes 0 for the time and the cycle
  bool lineStart = true;
};

// Discards everything.
class LogNull : public LogStream {
 public:
  LogNull();
};

// Standard output, itself switched to fixed notation with two decimals.
class LogStdOut : public LogStream {
 public:
  explicit LogStdOut(const Timer* timer);
};

// Standard error, itself switched to fixed notation with two decimals.
class LogStdErr : public LogStream {
 public:
  explicit LogStdErr(const Timer* timer);
};

// A file opened, and emptied, at construction. A file that cannot be opened loses its
// lines silently and still counts as an output.
class LogFile : public LogStream {
 public:
  LogFile(const std::string& path, const Timer* timer);
  ~LogFile() override;

 private:
  std::unique_ptr<std::ofstream> file;
  std::string path;
};

// The handle to the process-wide registry of named logs. Every handle shares one
// store, made by the first handle and never freed, so the logs outlive everything
// that writes to them.
class Logger {
 public:
  struct LogStreams {
    virtual ~LogStreams() = default;
    std::map<std::string, std::unique_ptr<LogStream>> streams;
    LogNull logNull;  // stands for every name never registered
  };

  Logger();
  virtual ~Logger() = default;
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  // The registry takes the stream over. Under a name already registered the first stream
  // stays and the new one is deleted at once (a null stream is ignored).
  void add(const std::string& name, LogStream* stream);
  // Whether a stream is registered under the name: a LogFile empties its file when it is
  // built, so check this before building one for a name that may be taken.
  bool isRegistered(const std::string& name) const;
  // The stream of the name, or a discarding one.
  LogStream& operator[](const std::string& name) const;
  // The stream of the name when it writes somewhere, else null: tested once before a
  // block of lines is formatted.
  LogStream* getWriting(const std::string& name) const;

  static LogStreams* logStreams;
};

extern Logger logger;

}  // namespace tovren
