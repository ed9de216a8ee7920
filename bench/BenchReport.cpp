#include "BenchReport.h"

#include <cmath>
#include <cstdio>
#include <fstream>

namespace kelvra::bench {

namespace {

std::string Format(const char* format, double value)
{
    char text[64];
    snprintf(text, sizeof(text), format, value);
    return text;
}

std::string JsonText(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string JsonObject(const BenchLine& line)
{
    return "{\"table\": " + JsonText(line.table) + ", \"operation\": " + JsonText(line.operation) +
           ", \"model\": " + JsonText(line.model) + ", \"n\": " + std::to_string(line.n) +
           ", \"microsecondsPerRecord\": " + Format("%.2f", line.MicrosecondsPerRecord()) +
           ", \"packetsPerRecord\": " + Format("%.3f", line.PacketsPerRecord()) +
           ", \"bytesPerRecord\": " + Format("%.1f", line.BytesPerRecord()) +
           ", \"wireSeconds115200\": " + Format("%.6g", line.WireSeconds115200()) +
           ", \"wireSecondsUsb\": " + Format("%.6g", line.WireSecondsUsb()) + "}";
}

// Per record, then for the whole operation over its n records.
std::string Wire(double perRecord, int n)
{
    return Duration(perRecord) + "/rec " + Duration(perRecord * n);
}

}  // namespace

std::string WithThousands(double value)
{
    std::string digits = std::to_string(std::llround(std::fabs(value)));
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string Duration(double seconds)
{
    if (seconds >= 1)
        return Format(seconds >= 100 ? "%.0f s" : seconds >= 10 ? "%.1f s" : "%.2f s", seconds);
    if (seconds >= 1e-3)
        return Format(seconds >= 0.1 ? "%.0f ms" : seconds >= 0.01 ? "%.1f ms" : "%.2f ms", seconds * 1e3);
    return Format(seconds >= 1e-4 ? "%.0f us" : seconds >= 1e-5 ? "%.1f us" : "%.2f us", seconds * 1e6);
}

void BenchReport::Add(BenchLine line)
{
    printf("%-13s %-10s n=%-5d %8.1f us/rec %6.2f pkt/rec %8s B/rec   wire %s @115200, %s @USB   [%s]%s%s\n",
           line.table.c_str(), line.operation.c_str(), line.n, line.MicrosecondsPerRecord(), line.PacketsPerRecord(),
           WithThousands(line.BytesPerRecord()).c_str(), Wire(line.WireSeconds115200(), line.n).c_str(),
           Wire(line.WireSecondsUsb(), line.n).c_str(), line.model.c_str(), line.note.empty() ? "" : " ",
           line.note.c_str());
    fflush(stdout);
    m_lines.push_back(std::move(line));
}

void BenchReport::Say(const std::string& text) const
{
    printf("%s\n", text.c_str());
    fflush(stdout);
}

bool BenchReport::WriteJson(const std::wstring& path) const
{
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    file << "[";
    for (size_t i = 0; i < m_lines.size(); ++i)
        file << (i ? ",\n  " : "\n  ") << JsonObject(m_lines[i]);
    file << (m_lines.empty() ? "]\n" : "\n]\n");
    return static_cast<bool>(file.flush());
}

}  // namespace kelvra::bench
