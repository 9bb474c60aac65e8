#include "core/dictset.h"

#include <stdint.h>
#include <stdlib.h>

#include "base/dict.h"
#include "gls_functions.h"
#include "base/names.h"
#include "base/util.h"
#include "core/startup.h"

extern "C" {

// __glsDictSet is published with release order and read with acquire order,
// so a thread that sees the pointer also sees the dictionaries it points to.
static __GLSdictSet *loadPublished(void) {
    return __atomic_load_n(&__glsDictSet, __ATOMIC_ACQUIRE);
}

static GLboolean insert(__GLSdict *dict, const char *name, GLuint value) {
    return __glsStrDictInsert(dict, (const GLubyte *)name, (void *)(uintptr_t)value);
}

static __GLSdict *maskDict(const char *const *names, const GLuint *values, GLint count) {
    __GLSdict *dict = __glsStrDictCreate(count, 1);
    if (!dict) return nullptr;
    for (GLint i = 0; i < count; ++i) {
        if (!insert(dict, names[i], values[i])) return __glsStrDictDelete(dict);
    }
    return dict;
}

// Aliases first, then every named slot of every page.
static __GLSdict *pagedDict(const __GLSnameAlias *aliases, GLint aliasCount,
                            const __GLSnamePage *pages, GLint pageCount, GLuint pageSize) {
    GLint size = aliasCount;
    for (GLint p = 0; p < pageCount; ++p) size += pages[p].count;
    __GLSdict *dict = __glsStrDictCreate(size, 1);
    if (!dict) return nullptr;
    for (GLint i = 0; i < aliasCount; ++i) {
        if (!insert(dict, aliases[i].name, aliases[i].value)) return __glsStrDictDelete(dict);
    }
    for (GLint p = 0; p < pageCount; ++p) {
        for (GLint i = 0; i < pages[p].count; ++i) {
            const char *name = pages[p].names[i];
            if (name && !insert(dict, name, (GLuint)p * pageSize + (GLuint)i)) {
                return __glsStrDictDelete(dict);
            }
        }
    }
    return dict;
}

static __GLSdict *opDict(void) {
    GLint size = __GLS_OP_ALIAS_COUNT;
    for (GLint op = 16; op < GLS_OP_COUNT; ++op) size += __glsOpNames[op] != nullptr;
    __GLSdict *dict = __glsStrDictCreate(size, 1);
    if (!dict) return nullptr;
    for (GLint i = 0; i < __GLS_OP_ALIAS_COUNT; ++i) {
        if (!insert(dict, __glsOpAliases[i].name, (GLuint)__glsOpAliases[i].opcode)) {
            return __glsStrDictDelete(dict);
        }
    }
    for (GLint op = 16; op < GLS_OP_COUNT; ++op) {
        if (__glsOpNames[op] && !insert(dict, __glsOpNames[op], (GLuint)op)) {
            return __glsStrDictDelete(dict);
        }
    }
    return dict;
}

__GLSdictSet *__glsDictSetCreate(void) {
    __GLSdictSet *set = (__GLSdictSet *)__glsCalloc(1, sizeof(__GLSdictSet));
    if (!set) return nullptr;
    set->glAttribMaskDict = maskDict(__glsGLAttribMaskNames, __glsGLAttribMaskValues,
                                     __GLS_GL_ATTRIB_MASK_COUNT);
    set->glClientAttribMaskDict = maskDict(
        __glsGLClientAttribMaskNames, __glsGLClientAttribMaskValues,
        __GLS_GL_CLIENT_ATTRIB_MASK_COUNT);
    set->glEnumDict = pagedDict(__glsGLEnumAliases, __glsGLEnumAliasCount, __glsGLEnumPages,
                                __GLS_GL_ENUM_PAGE_COUNT, 256);
    set->glsEnumDict = pagedDict(__glsEnumAliases, __GLS_ENUM_ALIAS_COUNT, __glsEnumPages,
                                 __GLS_ENUM_PAGE_COUNT, 16);
    set->glsImageFlagsDict = maskDict(__glsImageFlagNames, __glsImageFlagValues,
                                      __GLS_IMAGE_FLAG_COUNT);
    set->glsOpDict = opDict();
    if (!set->glAttribMaskDict || !set->glClientAttribMaskDict || !set->glEnumDict ||
        !set->glsEnumDict || !set->glsImageFlagsDict || !set->glsOpDict) {
        // The dictionaries do not raise on their own; a failed build is
        // always a failed allocation.
        __glsRaiseError(GLS_RESOURCE_ERROR);
        __glsDictSetDestroy(set);
        return nullptr;
    }
    return set;
}

GLint __glsDictSetDestroy(__GLSdictSet *set) {
    if (!set) return 0;
    __glsStrDictDelete(set->glAttribMaskDict);
    __glsStrDictDelete(set->glClientAttribMaskDict);
    __glsStrDictDelete(set->glEnumDict);
    __glsStrDictDelete(set->glsEnumDict);
    __glsStrDictDelete(set->glsImageFlagsDict);
    __glsStrDictDelete(set->glsOpDict);
    free(set);
    return 0;
}

__GLSdictSet *__glsGetDictSet(void) {
    __GLSdictSet *set = loadPublished();
    if (set) return set;
    __glsLock();
    set = __atomic_load_n(&__glsDictSet, __ATOMIC_RELAXED);
    if (!set) {
        set = __glsDictSetCreate();
        if (set) __atomic_store_n(&__glsDictSet, set, __ATOMIC_RELEASE);
    }
    __glsUnlock();
    return set;
}

GLboolean __glsOpcodeFromName(__GLSdictSet *set, const GLubyte *name, GLSopcode *outOpcode) {
    void *value = nullptr;
    if (set && name && __glsStrDictFind(set->glsOpDict, name, &value)) {
        *outOpcode = (GLSopcode)(uintptr_t)value;
        return 1;
    }
    *outOpcode = __GLS_OP_glsUnsupportedCommand;
    return 0;
}

void __glsDictSetPrint(__GLSdictSet *set) {
    if (!set) return;
    __glsStrDictPrint(set->glAttribMaskDict, "glAttribMaskDict");
    __glsStrDictPrint(set->glClientAttribMaskDict, "glClientAttribMaskDict");
    __glsStrDictPrint(set->glEnumDict, "glEnumDict");
    __glsStrDictPrint(set->glsEnumDict, "glsEnumDict");
    __glsStrDictPrint(set->glsImageFlagsDict, "glsImageFlagsDict");
    __glsStrDictPrint(set->glsOpDict, "glsOpDict");
}

}  // extern "C"
