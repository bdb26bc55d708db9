/* A host written in C, without Qt: it copies the plug-in library into a program folder of its own, loads
 * it with dlopen and uses nothing but the functions of dvnreplacer.h. It asks every member of the class,
 * keeps the run flag, starts the window modally (closed from a second thread, the way a C host gets
 * control back from a modal window) and non-modally (driven by the library's event functions), and
 * destroys instances with an unload callback registered.
 *
 *     c_host LIBRARY    (exit status 0 when every check held; each failed check is printed)
 *
 * The library creates its own application object here, so QT_QPA_PLATFORM must name a platform
 * (offscreen in the tests). */
#define _XOPEN_SOURCE 700

#include "plugin/dvnreplacer.h"

#include <dlfcn.h>
#include <ftw.h>
#include <limits.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static int failures = 0;

#define CHECK(condition)                                                                                               \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            fprintf(stderr, "FAIL %s:%d: %s\n", __FILE__, __LINE__, #condition);                                       \
            ++failures;                                                                                                \
        }                                                                                                              \
    } while (0)

#define CHECK_STATUS(call, expected)                                                                                   \
    do {                                                                                                               \
        const int status_ = (call);                                                                                    \
        if (status_ != (expected)) {                                                                                   \
            fprintf(stderr, "FAIL %s:%d: %s gave %d (%s), expected %d\n", __FILE__, __LINE__, #call, status_,          \
                    api.status_text ? api.status_text(status_) : "?", (expected));                                     \
            ++failures;                                                                                                \
        }                                                                                                              \
    } while (0)

typedef const char* (*status_text_fn)(int);
typedef int (*void_fn)(void);
typedef dvnreplacer* (*create_fn)(void);
typedef int (*instance_fn)(dvnreplacer*);
typedef int (*callback_fn)(dvnreplacer*, dvnreplacer_unload_callback, void*);
typedef int (*start_fn)(dvnreplacer*, const char*, const char*, int, const char*, const char*, const char*, const char*,
                        const char*);
typedef int (*text_fn)(dvnreplacer*, char*, size_t);
typedef int (*keyed_text_fn)(dvnreplacer*, const char*, char*, size_t);
typedef int (*png_fn)(dvnreplacer*, int, unsigned char*, size_t);
typedef int (*language_fn)(dvnreplacer*, const char*);
typedef int (*int_fn)(dvnreplacer*, int);
typedef int (*run_fn)(dvnreplacer*, int*);
typedef int (*program_fn)(int, char**);

static struct
{
    status_text_fn status_text;
    void_fn startup;
    create_fn create;
    instance_fn destroy;
    callback_fn set_unload_callback;
    start_fn start_interface;
    text_fn info;
    text_fn plugin_name;
    instance_fn has_events;
    text_fn event_info;
    png_fn img_png;
    keyed_text_fn get_caption;
    text_fn show_in_detail_popup;
    text_fn show_in_dsn_popup;
    language_fn set_language;
    int_fn save_win_pos;
    run_fn run;
    int_fn set_run;
    keyed_text_fn description;
    void_fn process_events;
    void_fn run_event_loop;
    void_fn close_interface;
    void_fn interface_loaded;
    program_fn run_program;
} api;

static int resolve(void* library, const char* name, void* target, size_t size)
{
    void* symbol = dlsym(library, name);
    if (!symbol) {
        fprintf(stderr, "FAIL: the library does not export %s\n", name);
        return 0;
    }
    memcpy(target, &symbol, size);
    return 1;
}

/* The pointer types the test calls through are those of the header's declarations. Unevaluated: the
 * test links nothing of the library. */
#define RESOLVE(field, type)                                                                                           \
    do {                                                                                                               \
        _Static_assert(_Generic(&dvnreplacer_##field, type : 1, default : 0), "dvnreplacer_" #field " is a " #type);   \
        resolved &= resolve(library, "dvnreplacer_" #field, &api.field, sizeof api.field);                             \
    } while (0)

static int resolveAll(void* library)
{
    int resolved = 1;
    RESOLVE(status_text, status_text_fn);
    RESOLVE(startup, void_fn);
    RESOLVE(create, create_fn);
    RESOLVE(destroy, instance_fn);
    RESOLVE(set_unload_callback, callback_fn);
    RESOLVE(start_interface, start_fn);
    RESOLVE(info, text_fn);
    RESOLVE(plugin_name, text_fn);
    RESOLVE(has_events, instance_fn);
    RESOLVE(event_info, text_fn);
    RESOLVE(img_png, png_fn);
    RESOLVE(get_caption, keyed_text_fn);
    RESOLVE(show_in_detail_popup, text_fn);
    RESOLVE(show_in_dsn_popup, text_fn);
    RESOLVE(set_language, language_fn);
    RESOLVE(save_win_pos, int_fn);
    RESOLVE(run, run_fn);
    RESOLVE(set_run, int_fn);
    RESOLVE(description, keyed_text_fn);
    RESOLVE(process_events, void_fn);
    RESOLVE(run_event_loop, void_fn);
    RESOLVE(close_interface, void_fn);
    RESOLVE(interface_loaded, void_fn);
    RESOLVE(run_program, program_fn);
    return resolved;
}

/* ---- files of the program folder ---- */

/* Half of PATH_MAX, so that every path below it fits. */
static char folder[PATH_MAX / 2];

static void pathOf(char* path, const char* relative)
{
    snprintf(path, PATH_MAX, "%s/%s", folder, relative);
}

static int writeFile(const char* relative, const char* content)
{
    char path[PATH_MAX];
    pathOf(path, relative);
    FILE* file = fopen(path, "wb");
    if (!file)
        return 0;
    const size_t length = strlen(content);
    const int written = fwrite(content, 1, length, file) == length;
    return fclose(file) == 0 && written;
}

/* The whole file as a NUL-terminated text (caller frees), or NULL. */
static char* readFile(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return NULL;
    char* content = NULL;
    size_t size = 0;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        char* grown = realloc(content, size + got + 1);
        if (!grown) {
            free(content);
            fclose(file);
            return NULL;
        }
        content = grown;
        memcpy(content + size, chunk, got);
        size += got;
    }
    fclose(file);
    if (!content)
        content = calloc(1, 1);
    else
        content[size] = '\0';
    return content;
}

static int fileContains(const char* path, const char* text)
{
    char* content = readFile(path);
    const int found = content && strstr(content, text) != NULL;
    free(content);
    return found;
}

static int copyFile(const char* from, const char* to)
{
    FILE* in = fopen(from, "rb");
    if (!in)
        return 0;
    FILE* out = fopen(to, "wb");
    if (!out) {
        fclose(in);
        return 0;
    }
    char chunk[65536];
    size_t got;
    int ok = 1;
    while (ok && (got = fread(chunk, 1, sizeof chunk, in)) > 0)
        ok = fwrite(chunk, 1, got, out) == got;
    fclose(in);
    return fclose(out) == 0 && ok;
}

static int removeEntry(const char* path, const struct stat* status, int type, struct FTW* walk)
{
    (void)status;
    (void)type;
    (void)walk;
    return remove(path);
}

static void removeProgramFolder(void)
{
    nftw(folder, removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

static void sleepMilliseconds(long milliseconds)
{
    struct timespec pause = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    nanosleep(&pause, NULL);
}

/* ---- the unload callback ---- */

struct UnloadRecord
{
    int calls;
};

static void countUnload(void* user_data)
{
    ++((struct UnloadRecord*)user_data)->calls;
}

/* ---- a second thread that closes the modal window ---- */

struct Closer
{
    dvnreplacer* instance;
    int sawWindow;
    int callFromHereRefused;
};

static void* closeWhenLoaded(void* argument)
{
    struct Closer* closer = argument;
    for (int i = 0; i < 3000 && !api.interface_loaded(); ++i)
        sleepMilliseconds(10);
    closer->sawWindow = api.interface_loaded();
    /* Only the functions marked "any thread" work here. */
    closer->callFromHereRefused = api.info(closer->instance, NULL, 0) == DVNREPLACER_ERR_THREAD;
    api.close_interface();
    return NULL;
}

/* ---- the checks ---- */

static void checkTexts(dvnreplacer* replacer)
{
    char buffer[1024];
    const char* info = "Search and replace for databases";

    /* The size rule: the whole size with its NUL; the text only when it fits, else the empty text. */
    CHECK(api.info(replacer, NULL, 0) == (int)strlen(info) + 1);
    char small[5] = "xxxx";
    CHECK(api.info(replacer, small, sizeof small) == (int)strlen(info) + 1);
    CHECK(small[0] == '\0');
    char exact[33];
    CHECK(api.info(replacer, exact, sizeof exact) == 33 && strcmp(exact, info) == 0);
    CHECK(api.info(NULL, buffer, sizeof buffer) == DVNREPLACER_ERR_ARGUMENT);

    CHECK(api.plugin_name(replacer, buffer, sizeof buffer) > 0 && strcmp(buffer, "DvnFind") == 0);
    CHECK(api.has_events(replacer) == 0);
    CHECK(api.event_info(replacer, buffer, sizeof buffer) > 0 && strcmp(buffer, "None") == 0);
    CHECK(api.show_in_detail_popup(replacer, buffer, sizeof buffer) > 0 && strcmp(buffer, "True") == 0);
    CHECK(api.show_in_dsn_popup(replacer, buffer, sizeof buffer) > 0 && strcmp(buffer, "True") == 0);

    /* UTF-8 out of the language file; the defaults for a section that is not there. */
    const char* caption = "Gr\xc3\xb6\xc3\x9f"
                          "e finden";
    CHECK(api.get_caption(replacer, "English", buffer, sizeof buffer) == (int)strlen(caption) + 1);
    CHECK(strcmp(buffer, caption) == 0);
    CHECK(api.description(replacer, "English", buffer, sizeof buffer) > 0 && strcmp(buffer, "Finds and replaces") == 0);
    CHECK(api.get_caption(replacer, "Klingon", buffer, sizeof buffer) > 0 && strcmp(buffer, "Suchen") == 0);
    CHECK(api.description(replacer, "Klingon", buffer, sizeof buffer) > 0 && strcmp(buffer, info) == 0);
    CHECK(api.get_caption(replacer, NULL, buffer, sizeof buffer) > 0 && strcmp(buffer, "Suchen") == 0);

    CHECK_STATUS(api.save_win_pos(replacer, 1), DVNREPLACER_OK);

    for (int status = DVNREPLACER_ERR_FAILED; status <= DVNREPLACER_OK; ++status)
        CHECK(api.status_text(status) != NULL && *api.status_text(status) != '\0');
}

static unsigned readBigEndian32(const unsigned char* bytes)
{
    return (unsigned)bytes[0] << 24 | (unsigned)bytes[1] << 16 | (unsigned)bytes[2] << 8 | bytes[3];
}

static void checkPicture(dvnreplacer* replacer)
{
    const int size = api.img_png(replacer, 32, NULL, 0);
    if (size == DVNREPLACER_ERR_NO_PICTURE) {
        printf("Img: the program has no icon\n");
        return;
    }
    CHECK(size > 33);
    if (size <= 33)
        return;
    unsigned char* png = malloc((size_t)size);
    CHECK(png != NULL);
    if (!png)
        return;
    CHECK(api.img_png(replacer, 32, png, (size_t)size) == size);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    CHECK(memcmp(png, signature, sizeof signature) == 0);
    CHECK(memcmp(png + 12, "IHDR", 4) == 0);
    const unsigned width = readBigEndian32(png + 16);
    const unsigned height = readBigEndian32(png + 20);
    CHECK(width > 0 && width <= 32 && height > 0 && height <= 32);
    printf("Img: PNG of %d bytes, %ux%u\n", size, width, height);
    free(png);
}

static void checkRunFlag(dvnreplacer* replacer)
{
    char ini[PATH_MAX];
    pathOf(ini, "DVNReplacer.ini");
    int run = 99;

    CHECK_STATUS(api.run(replacer, &run), DVNREPLACER_OK);
    CHECK(run == 1); /* no Run key: the default */

    static const int roundTrips[] = {0, -1, 32767, -32768, 7};
    for (size_t i = 0; i < sizeof roundTrips / sizeof roundTrips[0]; ++i) {
        CHECK_STATUS(api.set_run(replacer, roundTrips[i]), DVNREPLACER_OK);
        run = 99;
        CHECK_STATUS(api.run(replacer, &run), DVNREPLACER_OK);
        CHECK(run == roundTrips[i]);
    }
    CHECK(fileContains(ini, "Run=7"));

    /* Outside the 16-bit range: refused, nothing written. */
    static const int outOfRange[] = {32768, -32769, 65536 + 7, INT_MAX, INT_MIN};
    for (size_t i = 0; i < sizeof outOfRange / sizeof outOfRange[0]; ++i)
        CHECK_STATUS(api.set_run(replacer, outOfRange[i]), DVNREPLACER_ERR_RANGE);
    CHECK_STATUS(api.run(replacer, &run), DVNREPLACER_OK);
    CHECK(run == 7);
    CHECK(fileContains(ini, "Run=7"));

    /* A stored value that is no 16-bit number is a conversion error, distinct from a stored -1. */
    static const char* const notNumbers[] = {"yes", "40000", "-32769", "1x"};
    for (size_t i = 0; i < sizeof notNumbers / sizeof notNumbers[0]; ++i) {
        char content[128];
        snprintf(content, sizeof content, "[Options]\r\nLanguage=Deutsch\r\nRun=%s\r\n", notNumbers[i]);
        CHECK(writeFile("DVNReplacer.ini", content));
        run = 99;
        CHECK_STATUS(api.run(replacer, &run), DVNREPLACER_ERR_CONVERSION);
        CHECK(run == 99);
    }
    CHECK(writeFile("DVNReplacer.ini", "[Options]\r\nLanguage=Deutsch\r\nRun=-1\r\n"));
    CHECK_STATUS(api.run(replacer, &run), DVNREPLACER_OK);
    CHECK(run == -1);

    CHECK_STATUS(api.run(replacer, NULL), DVNREPLACER_ERR_ARGUMENT);
    CHECK_STATUS(api.run(NULL, &run), DVNREPLACER_ERR_ARGUMENT);
    CHECK_STATUS(api.set_run(NULL, 0), DVNREPLACER_ERR_ARGUMENT);
}

static void checkModalStart(dvnreplacer* replacer)
{
    char database[PATH_MAX];
    char connection[PATH_MAX + 64];
    pathOf(database, "host.db");
    snprintf(connection, sizeof connection, "DRIVER=SQLite3;Database=%s", database);
    /* An empty file is an empty SQLite database; a missing one would be refused with a message box. */
    CHECK(writeFile("host.db", ""));

    struct Closer closer = {replacer, 0, 0};
    pthread_t thread;
    CHECK(pthread_create(&thread, NULL, closeWhenLoaded, &closer) == 0);
    CHECK_STATUS(api.start_interface(replacer, "1", "Deutsch", 1, connection, NULL, "Customers", NULL, "Shop"),
                 DVNREPLACER_OK);
    pthread_join(thread, NULL);

    /* Back only after the window was closed and unloaded. */
    CHECK(closer.sawWindow);
    CHECK(closer.callFromHereRefused);
    CHECK(!api.interface_loaded());
    /* The window's load recorded the program folder: the library's own. */
    char settings[PATH_MAX];
    pathOf(settings, "config/Dorvane/Dorvane.conf");
    CHECK(fileContains(settings, "Version=1.01.00"));
    CHECK(fileContains(settings, folder));
}

static void checkNonModalStart(dvnreplacer* replacer)
{
    /* Nothing loaded: the loop returns at once. */
    CHECK_STATUS(api.run_event_loop(), DVNREPLACER_OK);

    /* Driven by process_events from the host's own loop. */
    CHECK_STATUS(api.start_interface(replacer, "1", "Deutsch", 0, NULL, NULL, NULL, NULL, NULL), DVNREPLACER_OK);
    CHECK(api.interface_loaded());
    for (int i = 0; i < 5; ++i)
        CHECK_STATUS(api.process_events(), DVNREPLACER_OK);
    CHECK(api.interface_loaded());
    CHECK_STATUS(api.close_interface(), DVNREPLACER_OK);
    for (int i = 0; i < 500 && api.interface_loaded(); ++i) {
        CHECK_STATUS(api.process_events(), DVNREPLACER_OK);
        sleepMilliseconds(2);
    }
    CHECK(!api.interface_loaded());

    /* Or by the library's loop until the window is gone. */
    CHECK_STATUS(api.start_interface(replacer, "2", "Deutsch", 0, NULL, NULL, NULL, NULL, NULL), DVNREPLACER_OK);
    CHECK(api.interface_loaded());
    CHECK_STATUS(api.close_interface(), DVNREPLACER_OK);
    CHECK_STATUS(api.run_event_loop(), DVNREPLACER_OK);
    CHECK(!api.interface_loaded());

    /* SetLanguage loads a window that is not shown; it closes the same way. */
    CHECK_STATUS(api.set_language(replacer, "Deutsch"), DVNREPLACER_OK);
    CHECK(api.interface_loaded());
    CHECK_STATUS(api.close_interface(), DVNREPLACER_OK);
    CHECK_STATUS(api.run_event_loop(), DVNREPLACER_OK);
    CHECK(!api.interface_loaded());
}

static void checkUnloadCallbacks(void)
{
    struct UnloadRecord replaced = {0};
    struct UnloadRecord registered = {0};
    dvnreplacer* replacer = api.create();
    CHECK(replacer != NULL);
    CHECK_STATUS(api.set_unload_callback(replacer, countUnload, &replaced), DVNREPLACER_OK);
    CHECK_STATUS(api.set_unload_callback(replacer, countUnload, &registered), DVNREPLACER_OK);
    CHECK(registered.calls == 0);
    CHECK_STATUS(api.destroy(replacer), DVNREPLACER_OK);
    CHECK(registered.calls == 1);
    CHECK(replaced.calls == 0);

    struct UnloadRecord removed = {0};
    replacer = api.create();
    CHECK(replacer != NULL);
    CHECK_STATUS(api.set_unload_callback(replacer, countUnload, &removed), DVNREPLACER_OK);
    CHECK_STATUS(api.set_unload_callback(replacer, NULL, NULL), DVNREPLACER_OK);
    CHECK_STATUS(api.destroy(replacer), DVNREPLACER_OK);
    CHECK(removed.calls == 0);

    CHECK_STATUS(api.set_unload_callback(NULL, countUnload, &removed), DVNREPLACER_ERR_ARGUMENT);
    CHECK_STATUS(api.destroy(NULL), DVNREPLACER_OK);
}

static int setUpProgramFolder(const char* library)
{
    const char* temp = getenv("TMPDIR");
    snprintf(folder, sizeof folder, "%s/dorvane-c-host-XXXXXX", temp && *temp ? temp : "/tmp");
    if (!mkdtemp(folder))
        return 0;
    char path[PATH_MAX];
    pathOf(path, "lang");
    if (mkdir(path, 0755) != 0)
        return 0;
    pathOf(path, "config");
    if (mkdir(path, 0755) != 0)
        return 0;
    /* Per-user settings go below the folder, not into the real user's. */
    if (setenv("XDG_CONFIG_HOME", path, 1) != 0)
        return 0;
    pathOf(path, "libdorvane_plugin.so");
    return copyFile(library, path) && writeFile("DVNReplacer.ini", "[Options]\r\nLanguage=Deutsch\r\n")
        && writeFile("lang/Deutsch.lng",
                     "[frmMain]\r\nt1=Suchen nach\r\nt19=Alle Tabellen\r\n"
                     "[English]\r\nToolCaption=Gr\xc3\xb6\xc3\x9f"
                     "e finden\r\nDescription=Finds and replaces\r\n");
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: c_host LIBRARY\n");
        return 2;
    }
    if (!setUpProgramFolder(argv[1])) {
        fprintf(stderr, "c_host: cannot set up the program folder %s\n", folder);
        return 1;
    }
    char library[PATH_MAX];
    pathOf(library, "libdorvane_plugin.so");
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        fprintf(stderr, "c_host: %s\n", dlerror());
        return 1;
    }
    if (!resolveAll(handle))
        return 1;

    /* Before anything has started no window is loaded; closing then does nothing. */
    CHECK(!api.interface_loaded());
    CHECK_STATUS(api.close_interface(), DVNREPLACER_OK);

    CHECK_STATUS(api.startup(), DVNREPLACER_OK);
    dvnreplacer* replacer = api.create();
    CHECK(replacer != NULL);
    if (!replacer)
        return 1;
    struct UnloadRecord unload = {0};
    CHECK_STATUS(api.set_unload_callback(replacer, countUnload, &unload), DVNREPLACER_OK);

    checkTexts(replacer);
    checkPicture(replacer);
    checkRunFlag(replacer);
    checkModalStart(replacer);
    checkNonModalStart(replacer);

    CHECK(unload.calls == 0);
    CHECK_STATUS(api.destroy(replacer), DVNREPLACER_OK);
    CHECK(unload.calls == 1);
    checkUnloadCallbacks();

    /* The process has its application object already: the program's main refuses to run in it. */
    char name[] = "DVNReplacer";
    char* programArgv[] = {name, NULL};
    CHECK(api.run_program(1, programArgv) == 1);

    if (failures == 0) {
        printf("c_host: all checks passed\n");
        removeProgramFolder();
    } else {
        printf("c_host: %d checks failed; the program folder is kept: %s\n", failures, folder);
    }
    return failures == 0 ? 0 : 1;
}
