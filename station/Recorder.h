#pragma once
// Keeps records without losing one: each goes to the configured store, or,
// when that cannot be reached or written, to the local spool; spooled
// records are sent on to the store, each exactly once, as soon as it can
// be reached again (by sync(), and before the next record is stored).
#include "RecordStore.h"

#include <memory>

class Recorder {
public:
    explicit Recorder(const StoreAddress& store, const StoreAddress& spool = StoreAddress::spool());
    ~Recorder();

    struct Kept {
        bool spooled = false; // in the spool, not (yet) in the store
        QString note;         // why it was spooled
    };
    // Throws StoreError only when neither the store nor the spool took it.
    Kept keep(const ProvisionRecord& record);

    // Sends the spooled records to the store; how many it sent. Throws
    // StoreError when the store cannot be reached.
    int sync();

private:
    RecordStore& store();

    StoreAddress m_storeAddress;
    StoreAddress m_spoolAddress;
    std::unique_ptr<RecordStore> m_store;
};
