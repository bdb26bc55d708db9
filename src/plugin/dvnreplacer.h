/* The plug-in's plain C interface, for hosts that load the library at run time (dlopen + dlsym).
 * Texts are UTF-8; a null pointer counts as the empty text. The host must run a QApplication on the
 * calling thread and call everything from it. When the library's program folder has not been set up
 * by the program itself, the first instance sets it to the library's own folder (INI file, language). */
#ifndef DORVANE_DVNREPLACER_H
#define DORVANE_DVNREPLACER_H

#ifdef __cplusplus
extern "C" {
#endif

#define DVNREPLACER_EXPORT __attribute__((visibility("default")))

/* A new instance of clsDvnReplacer; destroy it with dvnreplacer_destroy. */
DVNREPLACER_EXPORT void* dvnreplacer_create(void);
/* Destroys the instance (raising DllUnload); a window it started lives on. Null does nothing. */
DVNREPLACER_EXPORT void dvnreplacer_destroy(void* instance);
/* StartInterface; modal != 0 returns only after the window is closed. */
DVNREPLACER_EXPORT void dvnreplacer_start_interface(void* instance, const char* id, const char* language, int modal,
                                                    const char* connection_string, const char* sql_query,
                                                    const char* table, const char* field, const char* dsn_server);
/* Run; -1 when the stored value is not a 16-bit number. */
DVNREPLACER_EXPORT int dvnreplacer_run(void* instance);
DVNREPLACER_EXPORT void dvnreplacer_set_run(void* instance, int run);

#ifdef __cplusplus
}
#endif

#endif
