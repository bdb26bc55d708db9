// The C entry points of dvnreplacer.h over clsDvnReplacer. No exception crosses into the host.
#include "plugin/dvnreplacer.h"

#include "core/DataError.h"
#include "plugin/HostStartupPlatform.h"
#include "plugin/clsDvnReplacer.h"

#include <exception>

using dorvane::clsDvnReplacer;

namespace {

QString text(const char* utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

clsDvnReplacer* instanceOf(void* instance)
{
    return static_cast<clsDvnReplacer*>(instance);
}

} // namespace

extern "C" {

void* dvnreplacer_create(void)
{
    try {
        if (!dorvane::HostStartupPlatform::ensureProgramFolder())
            return nullptr;
        return new clsDvnReplacer();
    } catch (const std::exception&) {
        return nullptr;
    }
}

void dvnreplacer_destroy(void* instance)
{
    delete instanceOf(instance);
}

void dvnreplacer_start_interface(void* instance, const char* id, const char* language, int modal,
                                 const char* connection_string, const char* sql_query, const char* table,
                                 const char* field, const char* dsn_server)
{
    if (!instance)
        return;
    try {
        instanceOf(instance)->StartInterface(text(id), text(language), modal != 0, text(connection_string),
                                             text(sql_query), text(table), text(field), text(dsn_server));
    } catch (const std::exception&) {
        // The window shows its own failures; nothing else may reach a C caller.
    }
}

int dvnreplacer_run(void* instance)
{
    if (!instance)
        return -1;
    try {
        return instanceOf(instance)->Run();
    } catch (const std::exception&) {
        return -1;
    }
}

void dvnreplacer_set_run(void* instance, int run)
{
    if (instance)
        instanceOf(instance)->SetRun(static_cast<qint16>(run));
}

} // extern "C"
