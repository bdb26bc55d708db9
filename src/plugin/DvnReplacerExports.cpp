// The C entry points of dvnreplacer.h over clsDvnReplacer. Every entry passes the application and
// start-up checks first; no exception crosses into the host.
#include "plugin/dvnreplacer.h"

#include "core/DataError.h"
#include "core/ProductInfo.h"
#include "core/Startup.h"
#include "plugin/InterfaceWindow.h"
#include "plugin/PluginApplication.h"
#include "plugin/StartupGate.h"
#include "plugin/WidgetStartupPlatform.h"
#include "plugin/clsDvnReplacer.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>

#include <climits>
#include <cstdint>
#include <cstring>

#include <dlfcn.h>

using dorvane::clsDvnReplacer;
using dorvane::PluginApplication;
using dorvane::StartupGate;

struct dvnreplacer
{
    clsDvnReplacer replacer;
    QMetaObject::Connection unloadCallback;
};

namespace {

QString text(const char* utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

// The library's own folder is a host's program folder.
QString libraryFolder()
{
    Dl_info info {};
    if (::dladdr(reinterpret_cast<void*>(&dvnreplacer_startup), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
}

int statusOf(PluginApplication::Status status)
{
    switch (status) {
    case PluginApplication::Status::Ready:
        return DVNREPLACER_OK;
    case PluginApplication::Status::NoGui:
        return DVNREPLACER_ERR_NO_GUI;
    case PluginApplication::Status::WrongThread:
        return DVNREPLACER_ERR_THREAD;
    }
    return DVNREPLACER_ERR_FAILED;
}

// Every entry but the thread-free ones starts here: an application object on this thread, and the
// start-up's verdict, reached once per process.
int enter()
{
    const int application = statusOf(PluginApplication::ensure());
    if (application != DVNREPLACER_OK)
        return application;
    StartupGate& gate = dorvane::startupGate();
    if (gate.verdict() == StartupGate::Verdict::NotRun) {
        const QString folder = libraryFolder();
        if (folder.isEmpty())
            return DVNREPLACER_ERR_FAILED;
        dorvane::WidgetStartupPlatform platform;
        gate.pass(platform, folder);
    }
    return gate.verdict() == StartupGate::Verdict::Admitted ? DVNREPLACER_OK : DVNREPLACER_ERR_REFUSED;
}

int enter(dvnreplacer* instance)
{
    if (!instance)
        return DVNREPLACER_ERR_ARGUMENT;
    return enter();
}

// The size rule of the header: the whole size is returned, the bytes are copied only when they all fit.
int copyOut(const QByteArray& bytes, bool terminate, void* buffer, size_t bufferSize)
{
    const size_t needed = size_t(bytes.size()) + (terminate ? 1 : 0);
    if (needed > size_t(INT_MAX))
        return DVNREPLACER_ERR_FAILED;
    auto* out = static_cast<char*>(buffer);
    if (out && bufferSize >= needed) {
        std::memcpy(out, bytes.constData(), size_t(bytes.size()));
        if (terminate)
            out[bytes.size()] = '\0';
    } else if (out && bufferSize > 0 && terminate) {
        out[0] = '\0';
    }
    return int(needed);
}

int textOut(const QString& value, char* buffer, size_t bufferSize)
{
    return copyOut(value.toUtf8(), true, buffer, bufferSize);
}

// Runs body, which returns a status or a size, with nothing thrown to the host.
template<typename Body> int guarded(Body body)
{
    try {
        return body();
    } catch (...) {
        return DVNREPLACER_ERR_FAILED;
    }
}

template<typename Member> int textMember(dvnreplacer* instance, char* buffer, size_t bufferSize, Member member)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        return textOut((instance->replacer.*member)(), buffer, bufferSize);
    });
}

QByteArray pngOf(const QIcon& icon, int pixels)
{
    QSize size(pixels, pixels);
    if (pixels <= 0) {
        const QList<QSize> sizes = icon.availableSizes();
        size = QSize(256, 256);
        if (!sizes.isEmpty()) {
            size = sizes.first();
            for (const QSize& candidate : sizes) {
                if (candidate.width() * candidate.height() > size.width() * size.height())
                    size = candidate;
            }
        }
    }
    const QPixmap pixmap = icon.pixmap(size);
    QByteArray bytes;
    QBuffer device(&bytes);
    if (pixmap.isNull() || !device.open(QIODevice::WriteOnly) || !pixmap.save(&device, "PNG"))
        return QByteArray();
    return bytes;
}

void startWindowAsHost()
{
    dvnreplacer* replacer = dvnreplacer_create();
    dvnreplacer_save_win_pos(replacer, 1);
    const QByteArray language = dorvane::DefaultLanguage.toUtf8();
    dvnreplacer_start_interface(replacer, "123", language.constData(), 0, nullptr, nullptr, nullptr, nullptr, nullptr);
    dvnreplacer_destroy(replacer);
}

} // namespace

extern "C" {

const char* dvnreplacer_status_text(int status)
{
    switch (status) {
    case DVNREPLACER_OK:
        return "ok";
    case DVNREPLACER_ERR_ARGUMENT:
        return "a null instance or out pointer";
    case DVNREPLACER_ERR_RANGE:
        return "the value is outside -32768..32767";
    case DVNREPLACER_ERR_CONVERSION:
        return "the stored value is not a 16-bit number";
    case DVNREPLACER_ERR_REFUSED:
        return "the start-up was refused in this process";
    case DVNREPLACER_ERR_NO_GUI:
        return "no application object with widgets can exist";
    case DVNREPLACER_ERR_THREAD:
        return "called on another thread than the application object's";
    case DVNREPLACER_ERR_NO_PICTURE:
        return "the program has no icon";
    case DVNREPLACER_ERR_FAILED:
        return "failure inside the library";
    default:
        return status > 0 ? "a size, not a status" : "unknown status";
    }
}

int dvnreplacer_startup(void)
{
    return guarded([] { return enter(); });
}

dvnreplacer* dvnreplacer_create(void)
{
    try {
        if (enter() != DVNREPLACER_OK)
            return nullptr;
        return new dvnreplacer;
    } catch (...) {
        return nullptr;
    }
}

int dvnreplacer_destroy(dvnreplacer* instance)
{
    if (!instance)
        return DVNREPLACER_OK;
    // A QObject must die on its own thread; on another one the instance is kept.
    const int status = statusOf(PluginApplication::check());
    if (status != DVNREPLACER_OK)
        return status;
    delete instance;
    return DVNREPLACER_OK;
}

int dvnreplacer_set_unload_callback(dvnreplacer* instance, dvnreplacer_unload_callback callback, void* user_data)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        QObject::disconnect(instance->unloadCallback);
        instance->unloadCallback = {};
        if (callback) {
            instance->unloadCallback = QObject::connect(&instance->replacer, &clsDvnReplacer::DllUnload,
                                                        [callback, user_data] { callback(user_data); });
        }
        return DVNREPLACER_OK;
    });
}

int dvnreplacer_start_interface(dvnreplacer* instance, const char* id, const char* language, int modal,
                                const char* connection_string, const char* sql_query, const char* table,
                                const char* field, const char* dsn_server)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        instance->replacer.StartInterface(text(id), text(language), modal != 0, text(connection_string),
                                          text(sql_query), text(table), text(field), text(dsn_server));
        return DVNREPLACER_OK;
    });
}

int dvnreplacer_info(dvnreplacer* instance, char* buffer, size_t buffer_size)
{
    return textMember(instance, buffer, buffer_size, &clsDvnReplacer::Info);
}

int dvnreplacer_plugin_name(dvnreplacer* instance, char* buffer, size_t buffer_size)
{
    return textMember(instance, buffer, buffer_size, &clsDvnReplacer::PluginName);
}

int dvnreplacer_has_events(dvnreplacer* instance)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        return instance->replacer.HasEvents() ? 1 : 0;
    });
}

int dvnreplacer_event_info(dvnreplacer* instance, char* buffer, size_t buffer_size)
{
    return textMember(instance, buffer, buffer_size, &clsDvnReplacer::EventInfo);
}

int dvnreplacer_img_png(dvnreplacer* instance, int pixels, unsigned char* buffer, size_t buffer_size)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        const QIcon icon = instance->replacer.Img();
        if (icon.isNull())
            return DVNREPLACER_ERR_NO_PICTURE;
        const QByteArray png = pngOf(icon, pixels);
        if (png.isEmpty())
            return DVNREPLACER_ERR_NO_PICTURE;
        return copyOut(png, false, buffer, buffer_size);
    });
}

int dvnreplacer_get_caption(dvnreplacer* instance, const char* language, char* buffer, size_t buffer_size)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        return textOut(instance->replacer.GetCaption(text(language)), buffer, buffer_size);
    });
}

int dvnreplacer_show_in_detail_popup(dvnreplacer* instance, char* buffer, size_t buffer_size)
{
    return textMember(instance, buffer, buffer_size, &clsDvnReplacer::ShowInDetailPopup);
}

int dvnreplacer_show_in_dsn_popup(dvnreplacer* instance, char* buffer, size_t buffer_size)
{
    return textMember(instance, buffer, buffer_size, &clsDvnReplacer::ShowInDSNPopup);
}

int dvnreplacer_set_language(dvnreplacer* instance, const char* language)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        instance->replacer.SetLanguage(text(language));
        return DVNREPLACER_OK;
    });
}

int dvnreplacer_save_win_pos(dvnreplacer* instance, int save)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        instance->replacer.SaveWinPos(save != 0);
        return DVNREPLACER_OK;
    });
}

int dvnreplacer_run(dvnreplacer* instance, int* run)
{
    if (!run)
        return DVNREPLACER_ERR_ARGUMENT;
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        try {
            *run = instance->replacer.Run();
        } catch (const dorvane::DataError&) {
            return DVNREPLACER_ERR_CONVERSION;
        }
        return DVNREPLACER_OK;
    });
}

int dvnreplacer_set_run(dvnreplacer* instance, int run)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        if (run < INT16_MIN || run > INT16_MAX)
            return DVNREPLACER_ERR_RANGE;
        instance->replacer.SetRun(static_cast<qint16>(run));
        return DVNREPLACER_OK;
    });
}

int dvnreplacer_description(dvnreplacer* instance, const char* language, char* buffer, size_t buffer_size)
{
    return guarded([&] {
        const int status = enter(instance);
        if (status != DVNREPLACER_OK)
            return status;
        return textOut(instance->replacer.Description(text(language)), buffer, buffer_size);
    });
}

int dvnreplacer_process_events(void)
{
    return guarded([] {
        const int status = enter();
        if (status != DVNREPLACER_OK)
            return status;
        QCoreApplication::processEvents();
        // Called from the host's own code: nothing of the window is on the stack, so a window closed
        // meanwhile can go now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return DVNREPLACER_OK;
    });
}

int dvnreplacer_run_event_loop(void)
{
    return guarded([] {
        const int status = enter();
        if (status != DVNREPLACER_OK)
            return status;
        dorvane::InterfaceWindow::waitUntilGone();
        return DVNREPLACER_OK;
    });
}

int dvnreplacer_close_interface(void)
{
    return guarded([] {
        dorvane::InterfaceWindow::requestClose();
        return DVNREPLACER_OK;
    });
}

int dvnreplacer_interface_loaded(void)
{
    return dorvane::InterfaceWindow::isLoaded() ? 1 : 0;
}

int dvnreplacer_run_program(int argc, char** argv)
{
    try {
        StartupGate& gate = dorvane::startupGate();
        if (QCoreApplication::instance() || gate.verdict() == StartupGate::Verdict::Refused)
            return 1;
        QApplication application(argc, argv);
        PluginApplication::configure(application);

        // The program starts its window as any host does, through the C interface; the window then
        // lives on its own and the process ends when its last window closes.
        dorvane::WidgetStartupPlatform platform([&gate] {
            gate.record(StartupGate::Verdict::Admitted);
            startWindowAsHost();
        });
        // Ties the windows to the installed desktop entry (dorvane.desktop), whose icon the desktop shows.
        QApplication::setDesktopFileName(QStringLiteral("dorvane"));
        dorvane::Startup startup(platform, QCoreApplication::applicationDirPath());
        if (startup.Main() == dorvane::Startup::Outcome::Ended) {
            gate.record(StartupGate::Verdict::Refused);
            return 1;
        }
        return QApplication::exec();
    } catch (...) {
        return 1;
    }
}

} // extern "C"
