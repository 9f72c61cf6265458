/* The kiv engine's interface for host programs.
 *
 * A host loads libkiv.so (dlopen), registers its callbacks by name, calls
 * Init once, starts game sessions with Run and feeds each session the
 * player's commands with Input. One worker thread inside the engine runs
 * every command; the engine answers through the callback registered as
 * "print" and, when registered, the one registered as "speech".
 *
 * Texts: wide texts are zero-terminated UTF-16 (char16_t). 8-bit texts are
 * in the process's 8-bit code page: UTF-8, or Windows-1251 when the
 * environment variable KIV_CODEPAGE is "1251".
 *
 * Ownership: texts passed to callbacks are valid for the duration of the
 * call. A text a callback returns must stay valid until the callback is
 * called again. Messages returned by Run and Input are owned by the engine
 * and stay valid until the next call; copy them at once.
 *
 * Threads: callbacks are called on the engine's worker thread (PrintANSI
 * calls print on the caller's thread).
 */
#ifndef KIV_H
#define KIV_H

#include <stdint.h>

#if defined(__GNUC__)
#define KIV_EXPORT __attribute__((visibility("default")))
#else
#define KIV_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#else
#include <uchar.h>
#endif

/* A host function called with (session id, first argument, second
 * argument). The print callback is called as (session id, channel, text)
 * with channel "print" for game output and "ide" for development-environment
 * replies; session id 0 addresses all sessions. The speech callback is
 * called as (session id, text to speak, null). The result may be null. */
typedef const char16_t* (*kiv_host_function)(int32_t session_id, const char16_t* first,
                                             const char16_t* second);
typedef const char* (*kiv_host_function_ansi)(int32_t session_id, const char* first,
                                              const char* second);
/* The "Init" and "Exit" entries of a plug-in module. */
typedef void (*kiv_plugin_entry)(void);

/* Results of RegFunction and RegFunctionANSI. */
#define KIV_REG_OK 0
#define KIV_REG_NO_NAME 1
#define KIV_REG_NO_FUNCTION 2

/* Kinds of host functions. */
#define KIV_KIND_PLAIN 0
#define KIV_KIND_FLUSH_FIRST 1 /* the session's output is sent before the call */
#define KIV_KIND_DEFERRED 2    /* the call joins the turn's output stream */

/* Number of plug-in handles passed to Init. */
#define KIV_PLUGIN_SLOTS 10

/* Registers a host function under a name (letter case is not significant;
 * a later registration overwrites). "print" is required before Init.
 * kind: low 8 bits used. argument_count: 0, 1 or 2, as game code calls it. */
KIV_EXPORT int32_t RegFunction(const char16_t* name, kiv_host_function fn, int32_t kind,
                               int32_t argument_count);
KIV_EXPORT int32_t RegFunctionANSI(const char* name, kiv_host_function_ansi fn, int32_t kind,
                                   int32_t argument_count);

/* Starts the engine. The worker takes one waiting command per 100 ms
 * cycle, lowest session id first. With the environment variable
 * KIV_PROMPT_WORKER set to "1" when Init is called, it wakes as soon as a
 * command arrives and begins the next cycle at once while commands wait
 * (still lowest id first); busy servers set it. plugins: KIV_PLUGIN_SLOTS module handles from dlopen
 * (null entries allowed; a null array means none). Returns nonzero in the
 * low byte when started; zero when "print" is not registered. */
KIV_EXPORT int32_t Init(void* const* plugins);

/* Starts a session running the game file, or switches an existing session
 * to another game. Null on success, else a message. */
KIV_EXPORT const char16_t* Run(int32_t session_id, const char16_t* user_name,
                               const char16_t* game_file);

/* Queues a player command for the session. Null when queued, else a
 * message. reserved: pass 0. */
KIV_EXPORT const char16_t* Input(int32_t session_id, const char16_t* command, int32_t reserved);

/* Starts a session like Run, its game rebuilt by replaying a journal the
 * host kept: the text last handed to the host function "kiv.journal",
 * which the engine calls as (session id, journal, null) whenever a
 * session's journal changed. A journal of another game or version starts
 * the game afresh, with a message. Null when queued, else a message. */
KIV_EXPORT const char16_t* Resume(int32_t session_id, const char16_t* user_name,
                                  const char16_t* game_file, const char16_t* journal);
/* Ends a session and frees its game; its id is not to be used again.
 * Null when done (the worker ends it before its next cycle), else a
 * message. */
KIV_EXPORT const char16_t* Release(int32_t session_id);
/* Stops the engine (waits up to 5 s for the worker). Always nonzero. */
KIV_EXPORT int32_t Exit(int32_t reserved);

/* Sends an 8-bit text to the host's print callback for all sessions. */
KIV_EXPORT void PrintANSI(const char* text);

#ifdef __cplusplus
}
#endif

#endif
