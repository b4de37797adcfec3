#pragma once

// GIO names a field `signals`, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

// The GIO and GObject functions the program calls, each under its own name. GIO is loaded on
// the first use, not at start-up: most runs never reach an FTP site. Add a name here to use it.
#define QUAYLINK_GIO_FUNCTIONS(F)                                                                                      \
    F(g_cancellable_cancel)                                                                                            \
    F(g_cancellable_new)                                                                                               \
    F(g_error_free)                                                                                                    \
    F(g_file_copy_async)                                                                                               \
    F(g_file_copy_finish)                                                                                              \
    F(g_file_delete)                                                                                                   \
    F(g_file_delete_async)                                                                                             \
    F(g_file_delete_finish)                                                                                            \
    F(g_file_enumerate_children_async)                                                                                 \
    F(g_file_enumerate_children_finish)                                                                                \
    F(g_file_enumerator_next_files_async)                                                                              \
    F(g_file_enumerator_next_files_finish)                                                                             \
    F(g_file_find_enclosing_mount)                                                                                     \
    F(g_file_get_child)                                                                                                \
    F(g_file_get_path)                                                                                                 \
    F(g_file_get_uri)                                                                                                  \
    F(g_file_make_directory_async)                                                                                     \
    F(g_file_make_directory_finish)                                                                                    \
    F(g_file_mount_enclosing_volume)                                                                                   \
    F(g_file_mount_enclosing_volume_finish)                                                                            \
    F(g_file_new_for_path)                                                                                             \
    F(g_file_new_for_uri)                                                                                              \
    F(g_file_query_info_async)                                                                                         \
    F(g_file_query_info_finish)                                                                                        \
    F(g_file_resolve_relative_path)                                                                                    \
    F(g_file_info_get_file_type)                                                                                       \
    F(g_file_info_get_name)                                                                                            \
    F(g_free)                                                                                                          \
    F(g_io_error_quark)                                                                                                \
    F(g_list_free)                                                                                                     \
    F(g_mount_get_root)                                                                                                \
    F(g_mount_operation_get_choice)                                                                                    \
    F(g_mount_operation_new)                                                                                           \
    F(g_mount_operation_reply)                                                                                         \
    F(g_mount_operation_set_anonymous)                                                                                 \
    F(g_mount_operation_set_choice)                                                                                    \
    F(g_mount_operation_set_password)                                                                                  \
    F(g_mount_operation_set_username)                                                                                  \
    F(g_object_unref)                                                                                                  \
    F(g_signal_connect_data)                                                                                           \
    F(g_signal_stop_emission_by_name)

struct Gio {
#define QUAYLINK_GIO_MEMBER(name) decltype(&::name) name;
    QUAYLINK_GIO_FUNCTIONS(QUAYLINK_GIO_MEMBER)
#undef QUAYLINK_GIO_MEMBER
};

// The loaded functions, or null where GIO is missing or lacks one of them. The first call
// loads GIO and takes a while: make it from a worker thread.
const Gio* gio();
