#pragma once
// While it lives, the calling thread is held to the file permissions like
// any user: a privileged test run gives up its right to override them.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class AsUserWithoutRights {
public:
    AsUserWithoutRights()
    {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        if (::geteuid() != 0 || syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_reduced = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~AsUserWithoutRights()
    {
        if (m_reduced)
            syscall(SYS_capset, &m_header, m_saved);
    }
    AsUserWithoutRights(const AsUserWithoutRights&) = delete;
    AsUserWithoutRights& operator=(const AsUserWithoutRights&) = delete;

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_reduced = false;
};
