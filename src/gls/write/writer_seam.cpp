// The few writer fields the programming interface touches, kept here so that
// only this file knows the writer's layout.
#include "core/seam.h"

#include "base/util.h"
#include "write/writer.h"

extern "C" {

FILE *__glsWriterOutputFile(__GLSwriter *writer) {
    return writer->stream ? writer->stream->file : nullptr;
}

void __glsWriterSetFailed(__GLSwriter *writer) { __glsWriterMarkFailed(writer); }

}  // extern "C"
