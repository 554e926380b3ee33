#include "Recorder.h"

#include <QFileInfo>

Recorder::Recorder(const StoreAddress& store, const StoreAddress& spool)
    : m_storeAddress(store), m_spoolAddress(spool)
{
}

Recorder::~Recorder() = default;

RecordStore& Recorder::store()
{
    if (!m_store)
        m_store = std::make_unique<RecordStore>(m_storeAddress);
    return *m_store;
}

Recorder::Kept Recorder::keep(const ProvisionRecord& record)
{
    try {
        // Spooled records go first, as soon as the store can be reached.
        if (!m_store)
            sync();
        store().add(record);
        return {};
    } catch (const StoreError& error) {
        // A connection that failed once is opened afresh for the next record.
        m_store.reset();
        RecordStore(m_spoolAddress).add(record);
        return {true, error.message()};
    }
}

int Recorder::sync()
{
    if (!QFileInfo::exists(m_spoolAddress.path))
        return 0;
    RecordStore& target = store();
    RecordStore spool(m_spoolAddress);
    int sent = 0;
    for (const ProvisionRecord& record : spool.list()) {
        // The store refuses an id it holds, so a record whose removal from
        // the spool was cut short is not sent twice.
        sent += target.add(record) ? 1 : 0;
        spool.remove(record.id);
    }
    return sent;
}
