#include "FileCommands.h"

#include <windows.h>

#include <cstdio>

#include "ComFailure.h"
#include "ExitCode.h"
#include "FileSync.h"
#include "HandsetPlace.h"

namespace kelvra::host {

namespace {

std::string Shown(const HandsetPlace& place)
{
    return NarrowUtf8(place.Shown());
}

// A command that does one thing to the place its first word names, then says so.
HandsetWork PlaceWork(const CommandLine& line, void (FileSync::*action)(const HandsetPlace&), const char* done)
{
    HandsetPlace place = HandsetPlace::Parse(line.Word(1));
    return [place, action, done](SyncSession& session) {
        FileSync files(session);
        (files.*action)(place);
        printf("%s %s\n", done, Shown(place).c_str());
        return kOk;
    };
}

}  // namespace

HandsetWork StartLs(const CommandLine& line)
{
    if (line.words.size() < 2) {
        return [](SyncSession& session) {
            fputs(FileSync(session).Tree().c_str(), stdout);
            return kOk;
        };
    }
    HandsetPlace folder = HandsetPlace::Parse(line.Word(1));
    return [folder](SyncSession& session) {
        fputs(FileSync(session).Folder(folder).c_str(), stdout);
        return kOk;
    };
}

HandsetWork StartGet(const CommandLine& line)
{
    HandsetPlace file = HandsetPlace::Parse(line.Word(1));
    return [&line, file](SyncSession& session) {
        uint64_t size = FileSync(session).Get(file, line.Word(2));
        printf("copied %s (%llu bytes) to %s\n", Shown(file).c_str(), static_cast<unsigned long long>(size),
               NarrowUtf8(line.Word(2)).c_str());
        return kOk;
    };
}

HandsetWork StartPut(const CommandLine& line)
{
    HandsetPlace folder = HandsetPlace::Parse(line.Word(2));
    if (GetFileAttributesW(line.Word(1).c_str()) == INVALID_FILE_ATTRIBUTES)
        throw InputError("cannot read " + NarrowUtf8(line.Word(1)));
    return [&line, folder](SyncSession& session) {
        uint64_t size = FileSync(session).Put(line.Word(1), folder);
        printf("copied %s (%llu bytes) into %s\n", NarrowUtf8(line.Word(1)).c_str(),
               static_cast<unsigned long long>(size), Shown(folder).c_str());
        return kOk;
    };
}

HandsetWork StartMakeFolder(const CommandLine& line)
{
    return PlaceWork(line, &FileSync::MakeFolder, "made");
}

HandsetWork StartRemoveFile(const CommandLine& line)
{
    return PlaceWork(line, &FileSync::RemoveFile, "removed");
}

HandsetWork StartRemoveFolder(const CommandLine& line)
{
    return PlaceWork(line, &FileSync::RemoveFolder, "removed");
}

HandsetWork StartRename(const CommandLine& line)
{
    HandsetPlace place = HandsetPlace::Parse(line.Word(1));
    return [&line, place](SyncSession& session) {
        FileSync(session).Rename(place, line.Word(2));
        printf("renamed %s to %s\n", Shown(place).c_str(), NarrowUtf8(line.Word(2)).c_str());
        return kOk;
    };
}

HandsetWork StartDf(const CommandLine&)
{
    return [](SyncSession& session) {
        fputs(FileSync(session).MemoryFigures().c_str(), stdout);
        return kOk;
    };
}

}  // namespace kelvra::host
