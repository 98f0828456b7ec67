#include "emulated/handheld/Queue.h"

#include "emulated/handheld/FileDatabase.h"

namespace handheld {
namespace {

palm::Status OpenOrCreateQueue(const palm::HandheldFolder& handheld, std::unique_ptr<palm::Database>& queue) {
    palm::Status status = handheld.Open(kQueueDatabaseName, queue);
    if (status != palm::Status::NotFound) {
        return status;
    }
    palm::DatabaseHeader header;
    header.name = kQueueDatabaseName;
    header.type = formats::kQueueDatabaseType;
    header.creator = formats::kFileDatabaseCreator;
    status = handheld.Create(header, queue);
    if (status != palm::Status::Ok) {
        return status;
    }
    BYTE count[4] = {};
    DWORD id = 0;
    status = queue->AddRecord(0, id, count, sizeof(count));
    return status == palm::Status::Ok ? queue->Commit() : status;
}

palm::Status ReadCount(const palm::Database& queue, DWORD& count) {
    BYTE bytes[4] = {};
    DWORD copied = 0;
    if (queue.Header().IsResourceDatabase() || queue.RecordCount() == 0 ||
        queue.ReadRecord(0, bytes, sizeof(bytes), copied) != palm::Status::Ok || copied != sizeof(bytes)) {
        return palm::Status::Unreadable;
    }
    count = palm::GetBE32(bytes);
    return count < queue.RecordCount() ? palm::Status::Ok : palm::Status::Unreadable;
}

} // namespace

palm::Status AppendToQueue(const palm::HandheldFolder& handheld, const std::string& name,
                           std::string& error) {
    std::unique_ptr<palm::Database> queue;
    DWORD count = 0;
    palm::Status status = OpenOrCreateQueue(handheld, queue);
    if (status == palm::Status::Ok) {
        status = ReadCount(*queue, count);
    }
    if (status != palm::Status::Ok) {
        error = "the queue database is unreadable";
        return status;
    }
    if (count >= kMaxQueuedFiles) {
        error = "the queue is full";
        return palm::Status::Full;
    }
    // The name goes to record N + 1, whatever stands behind the queued names.
    const BYTE* text = reinterpret_cast<const BYTE*>(name.c_str());
    DWORD size = static_cast<DWORD>(name.size() + 1);
    DWORD id = 0;
    status = count + 1 < queue->RecordCount() ? queue->ReplaceRecord(count + 1, 0, text, size)
                                              : queue->AddRecord(0, id, text, size);
    // Record 0 may carry more than the count: only its first 4 bytes change.
    std::vector<BYTE> first(queue->Entry(0).size);
    DWORD copied = 0;
    if (status == palm::Status::Ok) {
        status = queue->ReadRecord(0, first.data(), static_cast<DWORD>(first.size()), copied);
    }
    if (status == palm::Status::Ok) {
        palm::PutBE32(first.data(), count + 1);
        status = queue->ReplaceRecord(0, queue->Entry(0).attributes, first.data(), copied);
    }
    if (status == palm::Status::Ok) {
        status = queue->Commit();
    }
    if (status != palm::Status::Ok) {
        error = "cannot write the queue database";
    }
    return status;
}

palm::Status ReadQueue(const palm::HandheldFolder& handheld, std::vector<std::string>& names) {
    std::unique_ptr<palm::Database> queue;
    DWORD count = 0;
    palm::Status status = handheld.Open(kQueueDatabaseName, queue);
    if (status == palm::Status::Ok) {
        status = ReadCount(*queue, count);
    }
    names.clear();
    for (DWORD index = 1; status == palm::Status::Ok && index <= count; ++index) {
        char text[formats::kQueueNameSize] = {};
        DWORD copied = 0;
        status = queue->ReadRecord(index, reinterpret_cast<BYTE*>(text), sizeof(text), copied);
        names.push_back(formats::QueuedNameOf(text, copied));
    }
    return status;
}

} // namespace handheld
