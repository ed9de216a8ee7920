#include "FolderFileEdit.h"

#include <algorithm>

#include "ComFailure.h"
#include "ComponentLines.h"
#include "ContentLineWriter.h"
#include "InputFile.h"

namespace kelvra::host {

namespace {

// A line directly inside the edited component, a nested component (an alarm) whole, or
// the blank lines between them, as bytes.
struct Piece {
    enum class Kind { Property, Component, Blank };
    Kind kind = Kind::Blank;
    std::string name;  // of a property or a nested component, upper case
    std::string bytes;
};

void RefuseTooLarge(const std::string& text)
{
    if (text.size() > kMostInputFileBytes)
        throw InputError("the file is larger than " + std::to_string(kMostInputFileBytes >> 20) + " MiB");
}

// The file written for the item is ours: a fault in it is told as such, not as the
// person's file's.
ComponentLines LinesOfFresh(const std::string& fresh)
{
    try {
        RefuseTooLarge(fresh);
        return ComponentLines(fresh);
    } catch (const InputError& e) {
        throw InputError(std::string("the file written for the item: ") + e.what());
    }
}

size_t ItemOfFresh(const ComponentLines& lines)
{
    size_t item = lines.FindItem("", false);
    if (item == ComponentLines::npos)
        throw InputError("the file written for the item holds no card, event, task or journal");
    return item;
}

// New lines end as the file's own first line does.
std::string LineEndOf(const std::string& text)
{
    size_t newline = text.find('\n');
    return newline != std::string::npos && (newline == 0 || text[newline - 1] != '\r') ? "\n" : "\r\n";
}

std::string WithLineEnds(const std::string& bytes, const std::string& lineEnd)
{
    std::string out;
    for (size_t at = 0; at < bytes.size();) {
        size_t newline = std::min(bytes.find('\n', at), bytes.size());
        size_t length = newline - at;
        if (length > 0 && bytes[newline - 1] == '\r')
            --length;
        out.append(bytes, at, length).append(lineEnd);
        at = newline + 1;
    }
    return out;
}

// A line directly inside a component, or a nested component from its BEGIN to its END.
Piece PieceAt(const std::string& text, const ComponentLines& lines, size_t index)
{
    const ComponentLines::Line& line = lines[index];
    if (line.name != "BEGIN")
        return {Piece::Kind::Property, line.name, text.substr(line.start, line.end - line.start)};
    size_t end = lines[line.partner].end;
    return {Piece::Kind::Component, lines.ComponentName(index), text.substr(line.start, end - line.start)};
}

std::vector<Piece> PiecesOf(const std::string& text, const ComponentLines& lines, size_t begin)
{
    std::vector<Piece> pieces;
    size_t at = lines[begin].end;
    auto blankUpTo = [&](size_t start) {
        if (start > at)
            pieces.push_back({Piece::Kind::Blank, {}, text.substr(at, start - at)});
    };
    for (size_t i : lines.Inside(begin)) {
        blankUpTo(lines[i].start);
        pieces.push_back(PieceAt(text, lines, i));
        at = lines[i].name == "BEGIN" ? lines[lines[i].partner].end : lines[i].end;
    }
    blankUpTo(lines[lines[begin].partner].start);
    return pieces;
}

// The file with the pieces of the component at begin in place of its own.
std::string Rebuilt(const std::string& text, const ComponentLines& lines, size_t begin,
                    const std::vector<Piece>& pieces)
{
    std::string out = text.substr(0, lines[begin].end);
    for (const Piece& piece : pieces)
        out += piece.bytes;
    return out.append(text, lines[lines[begin].partner].start);
}

bool Named(const Piece& piece, const std::string& name)
{
    return piece.kind != Piece::Kind::Blank && piece.name == name;
}

// The first `taken` of the file's own pieces of that name (all when 0) make way for the
// incoming ones, which go where the first of them was, or at whenNone when none was.
void Replace(std::vector<Piece>& pieces, const std::string& name, size_t taken, std::vector<Piece> incoming,
             size_t whenNone)
{
    std::vector<Piece> kept;
    size_t removed = 0;
    size_t at = whenNone;
    for (Piece& piece : pieces) {
        if (Named(piece, name) && (taken == 0 || removed < taken)) {
            if (removed++ == 0)
                at = kept.size();
            continue;
        }
        kept.push_back(std::move(piece));
    }
    kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(std::min(at, kept.size())),
                std::make_move_iterator(incoming.begin()), std::make_move_iterator(incoming.end()));
    pieces = std::move(kept);
}

std::vector<Piece> Offered(const std::vector<Piece>& fresh, const std::string& name, const std::string& lineEnd)
{
    std::vector<Piece> offered;
    for (const Piece& piece : fresh) {
        if (Named(piece, name))
            offered.push_back({piece.kind, piece.name, WithLineEnds(piece.bytes, lineEnd)});
    }
    return offered;
}

// Properties come before nested components: a property the file lacked goes before the
// first of them, or at the end.
size_t BeforeNestedComponents(const std::vector<Piece>& pieces)
{
    auto nested = std::find_if(pieces.begin(), pieces.end(),
                               [](const Piece& piece) { return piece.kind == Piece::Kind::Component; });
    return static_cast<size_t>(nested - pieces.begin());
}

size_t AfterVersion(const std::vector<Piece>& pieces)
{
    auto version =
        std::find_if(pieces.begin(), pieces.end(), [](const Piece& piece) { return Named(piece, "VERSION"); });
    return version == pieces.end() ? 0 : static_cast<size_t>(version - pieces.begin()) + 1;
}

std::string UidLine(const std::string& uid, const std::string& lineEnd)
{
    if (uid.empty())
        throw InputError("an empty UID is not written");
    if (uid.find_first_of("\r\n") != std::string::npos)
        throw InputError("a UID cannot hold a line break");
    ContentLine line;
    line.name = "UID";
    line.value = uid;
    return WithLineEnds(ContentLineWriter::Line(line), lineEnd);
}

}  // namespace

std::string FolderFileEdit::Edited(const std::string& existing, const std::string& fresh,
                                   const std::vector<Replaced>& replaced)
{
    ComponentLines freshLines = LinesOfFresh(fresh);
    size_t freshItem = ItemOfFresh(freshLines);
    std::string kind = freshLines.ComponentName(freshItem);
    RefuseTooLarge(existing);
    ComponentLines lines(existing);
    size_t item = lines.FindItem(kind, true);
    if (item == ComponentLines::npos)
        throw InputError(kind == "VCARD" ? "the file holds no vCard"
                                         : "the file holds no " + kind + " without a RECURRENCE-ID in a VCALENDAR");
    std::vector<Piece> pieces = PiecesOf(existing, lines, item);
    std::vector<Piece> freshPieces = PiecesOf(fresh, freshLines, freshItem);
    std::string lineEnd = LineEndOf(existing);
    std::vector<std::string> done;
    for (const Replaced& property : replaced) {
        std::string name = UpperAscii(property.name);
        // A name given twice would put the fresh lines in twice.
        if (std::find(done.begin(), done.end(), name) != done.end())
            continue;
        done.push_back(name);
        Replace(pieces, name, property.taken, Offered(freshPieces, name, lineEnd), BeforeNestedComponents(pieces));
    }
    return Rebuilt(existing, lines, item, pieces);
}

std::string FolderFileEdit::WithUid(const std::string& fresh, const std::string& uid)
{
    ComponentLines lines = LinesOfFresh(fresh);
    size_t item = ItemOfFresh(lines);
    std::vector<Piece> pieces = PiecesOf(fresh, lines, item);
    std::vector<Piece> uidLine{{Piece::Kind::Property, "UID", UidLine(uid, LineEndOf(fresh))}};
    size_t whenNone = lines.ComponentName(item) == "VCARD" ? AfterVersion(pieces) : 0;
    Replace(pieces, "UID", 0, std::move(uidLine), whenNone);
    return Rebuilt(fresh, lines, item, pieces);
}

std::string FolderFileEdit::UidOf(const std::string& bytes)
{
    RefuseTooLarge(bytes);
    ComponentLines lines(bytes, ComponentLines::Use::ReadOnly);
    size_t item = lines.FindItem("", false);
    if (item == ComponentLines::npos)
        return {};
    for (size_t i : lines.Inside(item)) {
        if (lines[i].name == "UID")
            return lines.TrimmedValue(i);
    }
    return {};
}

}  // namespace kelvra::host
