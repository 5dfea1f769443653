// seam_guard.h
// SeamGuard, the one way a test replaces entries of a platform seam: it keeps
// the table as it found it (the real entry points) and puts it back when it goes
// away, however the test ends, a failed ASSERT included. Entries are replaced
// through the guard, or on the table directly while the guard is alive:
//   SeamGuard<InfApi> seam(g_infApi);
//   seam->SetupOpenInfFileW = failingOpen;
#pragma once

template <typename Api> class SeamGuard
{
public:
    explicit SeamGuard(Api& table) : m_table(table), m_saved(table) {}
    ~SeamGuard() { m_table = m_saved; }
    SeamGuard(const SeamGuard&) = delete;
    SeamGuard& operator=(const SeamGuard&) = delete;

    Api* operator->() { return &m_table; }
    // Replaces the whole table, e.g. with a table of fakes.
    void install(const Api& fakes) { m_table = fakes; }
    // The table as the guard found it.
    const Api& saved() const { return m_saved; }

private:
    Api& m_table;
    const Api m_saved;
};
