/* The plug-in's plain C interface, for hosts that load libdorvane_plugin.so at run time (dlopen + dlsym)
 * or link it. Every member of the plug-in class clsDvnReplacer has a function here; the library exports
 * these functions and nothing else.
 *
 * Application object and thread. A host may run its own QApplication; the library then uses it. A host
 * without Qt has none: the first call that needs one (dvnreplacer_startup, dvnreplacer_create, ...)
 * creates it, on the calling thread, and keeps it until the process ends or the library is unloaded.
 * Either way every function must be called on the thread of that application object, except the two
 * marked "any thread"; a call from another thread fails with DVNREPLACER_ERR_THREAD. A host whose
 * application object is a QCoreApplication without widgets cannot show the window
 * (DVNREPLACER_ERR_NO_GUI). Qt ends the whole process when it cannot reach a window system, so without
 * a host application the library refuses with DVNREPLACER_ERR_NO_GUI when none of QT_QPA_PLATFORM,
 * WAYLAND_DISPLAY and DISPLAY is set.
 *
 * Start-up. The first call runs the program's start-up checks on the library's own folder (the folder
 * of libdorvane_plugin.so is the program folder: INI file, language files, tables): data access, the
 * INI file and language, the right to write the program folder, with the program's messages for what
 * is missing. A refused start-up is final for the process: every later call fails with
 * DVNREPLACER_ERR_REFUSED, dvnreplacer_create returns NULL, and the messages are not shown again.
 *
 * Results. Functions return a status (DVNREPLACER_OK or a negative DVNREPLACER_ERR_* code) unless said
 * otherwise. Texts in are UTF-8; a NULL text counts as the empty text.
 *
 * Texts out go into a buffer of the caller: the function returns the size the whole text needs in
 * bytes, UTF-8, terminating NUL included (so at least 1), or a negative status. The text is copied
 * exactly when that size is at most buffer_size; otherwise the buffer, if buffer_size > 0, holds the
 * empty text, so a host never sees a cut text. Ask for the size with (NULL, 0), or pass a buffer and
 * ask again with a larger one when the result exceeds its size. The texts the class reads from the
 * language file are at most 255 characters, so 1024 bytes always suffice for them.
 *
 * The window. dvnreplacer_start_interface with modal != 0 runs the window's own event loop and returns
 * after the window has been closed and unloaded: the way for a host without an event loop. A
 * non-modal start shows the window and returns at once; the window then needs events processed:
 * a Qt host's loop does it; a host without one calls dvnreplacer_run_event_loop (until the window is
 * closed) or dvnreplacer_process_events (now and then, from its own loop). The window outlives the
 * instance that started it; there is at most one window per process. dvnreplacer_close_interface
 * closes it from anywhere, also while a modal start is running. */
#ifndef DORVANE_DVNREPLACER_H
#define DORVANE_DVNREPLACER_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DVNREPLACER_EXPORT __attribute__((visibility("default")))

/* Status codes. */
#define DVNREPLACER_OK 0
#define DVNREPLACER_ERR_ARGUMENT (-1) /* a NULL instance or out pointer */
#define DVNREPLACER_ERR_RANGE (-2) /* dvnreplacer_set_run: value outside -32768..32767, nothing written */
#define DVNREPLACER_ERR_CONVERSION (-3) /* dvnreplacer_run: the stored value is not a 16-bit number */
#define DVNREPLACER_ERR_REFUSED (-4) /* the start-up was refused in this process */
#define DVNREPLACER_ERR_NO_GUI (-5) /* no application object with widgets can exist */
#define DVNREPLACER_ERR_THREAD (-6) /* called on another thread than the application object's */
#define DVNREPLACER_ERR_NO_PICTURE (-7) /* dvnreplacer_img_png: the program has no icon */
#define DVNREPLACER_ERR_FAILED (-8) /* any other failure inside the library */

/* One instance of the plug-in class. */
typedef struct dvnreplacer dvnreplacer;

/* The event DllUnload: called with the registered user data while the instance is destroyed. The
 * instance must not be used inside the callback. */
typedef void (*dvnreplacer_unload_callback)(void* user_data);

/* An English text for a status code; never NULL, static storage. Any thread. */
DVNREPLACER_EXPORT const char* dvnreplacer_status_text(int status);

/* Creates the application object if needed and runs the start-up (once per process). DVNREPLACER_OK
 * when the library is ready; the other calls do this themselves, a host calls it to learn why
 * dvnreplacer_create returned NULL. */
DVNREPLACER_EXPORT int dvnreplacer_startup(void);

/* A new instance, or NULL when dvnreplacer_startup does not return DVNREPLACER_OK. */
DVNREPLACER_EXPORT dvnreplacer* dvnreplacer_create(void);
/* Destroys the instance, raising DllUnload (the callback, if one is registered). A window it started
 * lives on. NULL does nothing. On another thread (DVNREPLACER_ERR_THREAD) the instance is kept. */
DVNREPLACER_EXPORT int dvnreplacer_destroy(dvnreplacer* instance);
/* Registers the DllUnload callback of this instance, replacing an earlier one; NULL removes it. */
DVNREPLACER_EXPORT int dvnreplacer_set_unload_callback(dvnreplacer* instance, dvnreplacer_unload_callback callback,
                                                       void* user_data);

/* StartInterface. Stores the data-source arguments (any may be NULL), then: modal != 0 shows the window
 * and returns once it has been closed and unloaded; else, with a window running, brings it forward,
 * re-opens the data source with the new arguments and restores it from the minimised state; else shows
 * a new window and returns at once. id, language and field are accepted and not evaluated. Failures of
 * the window (a data source that does not open) are shown by the window itself. */
DVNREPLACER_EXPORT int dvnreplacer_start_interface(dvnreplacer* instance, const char* id, const char* language,
                                                   int modal, const char* connection_string, const char* sql_query,
                                                   const char* table, const char* field, const char* dsn_server);

/* Info: "Search and replace for databases". */
DVNREPLACER_EXPORT int dvnreplacer_info(dvnreplacer* instance, char* buffer, size_t buffer_size);
/* PluginName: "DvnFind". */
DVNREPLACER_EXPORT int dvnreplacer_plugin_name(dvnreplacer* instance, char* buffer, size_t buffer_size);
/* HasEvents: 0 (false) or 1 (true), or a negative status. */
DVNREPLACER_EXPORT int dvnreplacer_has_events(dvnreplacer* instance);
/* EventInfo: "None". */
DVNREPLACER_EXPORT int dvnreplacer_event_info(dvnreplacer* instance, char* buffer, size_t buffer_size);
/* Img: the application icon as a PNG file's bytes, pixels wide and high (at most; the icon's largest
 * picture when pixels <= 0). Same buffer rule as the texts, without a terminating NUL: returns the
 * byte count, or DVNREPLACER_ERR_NO_PICTURE / another negative status. */
DVNREPLACER_EXPORT int dvnreplacer_img_png(dvnreplacer* instance, int pixels, unsigned char* buffer,
                                           size_t buffer_size);
/* GetCaption: key ToolCaption of section language of the current language file; "Suchen" when missing. */
DVNREPLACER_EXPORT int dvnreplacer_get_caption(dvnreplacer* instance, const char* language, char* buffer,
                                               size_t buffer_size);
/* ShowInDetailPopup and ShowInDSNPopup: the text "True". */
DVNREPLACER_EXPORT int dvnreplacer_show_in_detail_popup(dvnreplacer* instance, char* buffer, size_t buffer_size);
DVNREPLACER_EXPORT int dvnreplacer_show_in_dsn_popup(dvnreplacer* instance, char* buffer, size_t buffer_size);
/* SetLanguage: applies the current language file to the window, loading the window first (hidden) when
 * none is loaded. The argument is not used. */
DVNREPLACER_EXPORT int dvnreplacer_set_language(dvnreplacer* instance, const char* language);
/* SaveWinPos: accepted only; the window keeps its position as the INI file says. */
DVNREPLACER_EXPORT int dvnreplacer_save_win_pos(dvnreplacer* instance, int save);
/* Run: the run flag, INI [Options] Run (default 1), into *run. DVNREPLACER_ERR_CONVERSION, *run
 * unchanged, when the stored value is not a number in -32768..32767; a stored -1 is DVNREPLACER_OK. */
DVNREPLACER_EXPORT int dvnreplacer_run(dvnreplacer* instance, int* run);
/* SetRun: writes INI [Options] Run. Values outside -32768..32767 are refused (DVNREPLACER_ERR_RANGE). */
DVNREPLACER_EXPORT int dvnreplacer_set_run(dvnreplacer* instance, int run);
/* Description: key Description of section language; "Search and replace for databases" when missing. */
DVNREPLACER_EXPORT int dvnreplacer_description(dvnreplacer* instance, const char* language, char* buffer,
                                               size_t buffer_size);

/* For hosts without an event loop of their own, after a non-modal start: processes the pending events
 * once and returns. */
DVNREPLACER_EXPORT int dvnreplacer_process_events(void);
/* Runs the event loop until no window is loaded any more (at once when none is). */
DVNREPLACER_EXPORT int dvnreplacer_run_event_loop(void);
/* Any thread: asks the window to close, as its close box does (a run is stopped, nothing is asked).
 * Asynchronous: it closes when the library next processes events (the modal loop, the host's Qt loop,
 * dvnreplacer_run_event_loop or dvnreplacer_process_events). Nothing happens when no window is loaded. */
DVNREPLACER_EXPORT int dvnreplacer_close_interface(void);
/* Any thread: 1 while a window is loaded (from its load until it is gone after closing), else 0. */
DVNREPLACER_EXPORT int dvnreplacer_interface_loaded(void);

/* The program DVNReplacer's whole main, for its own executable: creates the application object from
 * argc/argv, runs the start-up and starts the window through the plug-in class as a host does, and
 * runs the event loop until the last window is closed. Returns the exit status: 0, or 1 when the
 * start-up was refused (after its message) or the process already has an application object. */
DVNREPLACER_EXPORT int dvnreplacer_run_program(int argc, char** argv);

#ifdef __cplusplus
}
#endif

#endif
