// The benchmark's figures: one printed line per table and operation, kept to be written
// as JSON as well, so that a change can be compared with the last one.
#pragma once

#include <string>
#include <vector>

#include "PhaseFigures.h"

namespace kelvra::bench {

struct BenchLine {
    std::string table;
    std::string operation;
    std::string model;
    int n = 0;
    PhaseFigures figures;
    std::string note;  // how the phase differs from the sizes asked for, if it does

    double MicrosecondsPerRecord() const { return figures.seconds / n * 1e6; }
    double PacketsPerRecord() const { return static_cast<double>(figures.packets) / n; }
    double BytesPerRecord() const { return static_cast<double>(figures.bytes) / n; }
    // The time the record's bytes take on the wire: 10 bits a byte at 115,200 baud
    // (8N1), and a byte a microsecond at USB full speed.
    double WireSeconds115200() const { return BytesPerRecord() * 10 / 115200; }
    double WireSecondsUsb() const { return BytesPerRecord() / 1e6; }
};

class BenchReport {
public:
    // Prints the line at once and keeps it.
    void Add(BenchLine line);
    // Prints a line that is no table's figures (memory, headings).
    void Say(const std::string& text) const;
    // False when the file cannot be written.
    bool WriteJson(const std::wstring& path) const;
    const std::vector<BenchLine>& Lines() const { return m_lines; }

private:
    std::vector<BenchLine> m_lines;
};

// "2,990", for counts and sizes (never below 0)
std::string WithThousands(double value);
// "260 ms", "3.0 us", "1.52 s": three figures or so, in the unit that suits.
std::string Duration(double seconds);

}  // namespace kelvra::bench
