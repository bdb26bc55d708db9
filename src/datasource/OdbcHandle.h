// Owns one ODBC handle (environment, connection or statement) and frees it when it goes out of scope.
// A connection handle must be disconnected by its owner before it is freed; Connection does that.
#pragma once

#include <sql.h>

namespace dorvane {

class OdbcHandle
{
public:
    OdbcHandle() = default;
    OdbcHandle(SQLSMALLINT type, SQLHANDLE handle) noexcept : m_type(type), m_handle(handle) { }
    ~OdbcHandle() { reset(); }

    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    OdbcHandle(OdbcHandle&& other) noexcept : m_type(other.m_type), m_handle(other.m_handle)
    {
        other.m_handle = SQL_NULL_HANDLE;
    }
    OdbcHandle& operator=(OdbcHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_type = other.m_type;
            m_handle = other.m_handle;
            other.m_handle = SQL_NULL_HANDLE;
        }
        return *this;
    }

    // Allocates a handle of the given type below parent. Throws DataError with the parent's diagnostics.
    static OdbcHandle allocate(SQLSMALLINT type, SQLHANDLE parent);

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

    void reset() noexcept
    {
        if (m_handle != SQL_NULL_HANDLE)
            SQLFreeHandle(m_type, m_handle);
        m_handle = SQL_NULL_HANDLE;
    }

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

} // namespace dorvane
