// The few writer fields the programming interface touches, kept here so that
// only this file knows the writer's layout.
#include "capture_seam.h"

#include "util.h"
#include "writer.h"

extern "C" {

FILE *__glsWriterOutputFile(__GLSwriter *writer) {
    return writer->stream ? writer->stream->file : nullptr;
}

void __glsWriterSetFailed(__GLSwriter *writer) { writer->failed = 1; }

}  // extern "C"
