// The fault sweep's machinery. An operation runs once on a fresh handset to count its
// exchanges and agent calls, then once more on a fresh identical handset for each of
// them failed in each way; every run must end clearly and leave the handset as it was
// before the operation or as the clean run left it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "OrganizerTestSupport.h"

namespace kelvra::testing::sweep {

// Everything an operation may change: the records of every store, and the files of the
// handset's file system and of the PC folder, by their paths below each.
struct HandsetState {
    std::map<uint32_t, std::map<uint32_t, std::string>> records;
    std::map<std::wstring, std::string> files;

    bool operator==(const HandsetState& other) const { return records == other.records && files == other.files; }
    bool operator!=(const HandsetState& other) const { return !(*this == other); }
};

// The records and files in which two states differ, in hex.
std::string Differences(const HandsetState& expected, const HandsetState& actual);

enum class Way { Timeout, ShortReply, WrongReplyCode, GarbageLength, AgentCall, CopyBlock };

struct Fault {
    Way way = Way::Timeout;
    long at = 0;          // the reply (from 0), the method's call (from 1) or the copied blocks
    std::wstring method;  // the failing agent method
};
std::string Describe(const Fault& fault);

// One model's device data object, whose profile is loaded once; every run gets a new
// simulator connection with the model's seed on it and new tables on that connection.
struct SweepModel {
    explicit SweepModel(int resource);

    int resource;
    std::string name;
    OrgHandset device;
    HandsetState seed;  // its files go only to the runs that use the file system
};

class SweepRun {
public:
    SweepRun(SweepModel& model, bool files);
    ~SweepRun();
    SweepRun(const SweepRun&) = delete;
    SweepRun& operator=(const SweepRun&) = delete;

    sim::SimConnection& Connection() { return *m_connection.Get(); }
    sim::SimHandset& Sim() { return m_connection->State().handset; }
    // The run's own table of that kind, made on first use.
    IDataTable* Table(DATATABLE_SUID id);
    HandsetState State() const;
    std::wstring PcPath(const std::wstring& name) const { return m_pcFolder + L"\\" + name; }
    void Arm(const Fault& fault);

private:
    SweepModel& m_model;
    ComPtr<sim::SimConnection> m_connection;
    std::map<DATATABLE_SUID, ComPtr<IDataTable>> m_tables;
    std::wstring m_fileRoot;
    std::wstring m_pcFolder;
};

// What an operation handed back: its result, the first failure and its description,
// and for a listing what it listed and how many records it passed over.
struct Result {
    HRESULT hr = S_OK;
    std::wstring error;      // of the first failure
    std::wstring lastError;  // of the last one
    std::string value;
    bool listing = false;
    std::map<std::string, std::string> listed;  // by item type and SUID
    int passedOver = 0;
    std::vector<std::string> problems;

    // Notes a failing call with the thread's error information.
    void Failed(HRESULT failure);
};

struct Operation {
    std::string name;
    DATATABLE_SUID table;  // made before the operation, as the device data object makes it
    // Steps before the operation that are not failed: the item it works on, if any.
    std::function<ComPtr<IItem>(SweepRun&)> prepare;
    std::function<Result(SweepRun&, IItem*)> run;
    // The store whose count tells whether the link is still in step afterwards.
    uint32_t probeStore = 0;
    bool files = false;  // whether its runs need the file system and the PC folder
};

// Runs the operation clean, then with each exchange and agent call failed in each way;
// adds what went wrong to violations and returns the number of faulted runs.
int Sweep(SweepModel& model, const Operation& operation, std::vector<std::string>& violations);

// The agent behind a simulator connection.
ComPtr<ITAMAgent> AgentOf(sim::SimConnection& connection);
// The item's columns as text, one "NAME=value" after another.
std::string ItemText(IItem* item);
// Lists the whole table as a host does, going on past records that fail.
Result List(IDataTable* table);
Result Count(IDataTable* table, QELDATATYPE type);
// The first item of a whole listing that the filter wants.
ComPtr<IItem> Listed(IDataTable* table, const std::function<bool(IItem*)>& wanted = nullptr);
// The result of a call that returned hr, with the value it gave when it succeeded.
Result Call(HRESULT hr, std::string value = {});

}  // namespace kelvra::testing::sweep
