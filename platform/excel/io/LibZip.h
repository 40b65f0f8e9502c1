#pragma once

#include "platform/common/Result.h"

#include <zip.h>

namespace excel::backend {

// The functions of libzip that reading and updating an archive use. The
// library is loaded on first use, so that a process that only writes new
// archives never maps it nor the compression and crypto libraries it needs.
#define QM_LIBZIP_FUNCTIONS(F)                                                                                        \
    F(zip_close) F(zip_delete) F(zip_discard) F(zip_error_fini) F(zip_error_init) F(zip_error_set)                   \
    F(zip_error_strerror) F(zip_error_to_data) F(zip_fclose) F(zip_file_add) F(zip_file_set_dostime)                 \
    F(zip_file_strerror) F(zip_fopen) F(zip_fread) F(zip_get_name) F(zip_get_num_entries) F(zip_name_locate)         \
    F(zip_open_from_source) F(zip_source_buffer_create) F(zip_source_free) F(zip_source_function)                    \
    F(zip_source_function_create) F(zip_source_seek_compute_offset) F(zip_stat_init) F(zip_strerror)

struct LibZip {
#define QM_LIBZIP_DECLARE(name) decltype(&::name) name = nullptr;
    QM_LIBZIP_FUNCTIONS(QM_LIBZIP_DECLARE)
#undef QM_LIBZIP_DECLARE

    // The library, loaded at the first call; a failure names the library and
    // why, and the next call tries again.
    static qm::Result<const LibZip *> get();
    // The file loaded: the library's own name, which tests change to try a
    // missing one.
    static const char *fileName;
};

} // namespace excel::backend
