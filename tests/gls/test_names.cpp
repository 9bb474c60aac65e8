// The name tables read value to name, and the dictionary set reads every name
// back to the value it was written for.
#include <gtest/gtest.h>
#include <pthread.h>
#include <stdint.h>
#include <string.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "base/dict.h"
#include "core/dictset.h"
#include "gls_functions.h"
#include "base/names.h"
#include "core/startup.h"
#include "support.h"

namespace {

__GLSdictSet *dictSet() {
    __GLSdictSet *set = __glsGetDictSet();
    EXPECT_NE(nullptr, set);
    return set;
}

// -1 when the name is not in the dictionary.
int64_t lookup(__GLSdict *dict, const char *name) {
    void *value = nullptr;
    if (!__glsStrDictFind(dict, (const GLubyte *)name, &value)) return -1;
    return (int64_t)(uintptr_t)value;
}

// Every named slot reads back to its own value and the value's writer name is
// that slot; an alias reads back to its value and is never written.
// Returns the number of named slots.
int checkPaged(__GLSdict *dict, const __GLSnamePage *pages, int pageCount, unsigned pageSize,
               const __GLSnameAlias *aliases, int aliasCount,
               const char *(*nameOf)(unsigned), std::set<std::string> *seen) {
    int named = 0;
    for (int p = 0; p < pageCount; ++p) {
        EXPECT_TRUE(pages[p].count >= 0 && pages[p].count <= (int)pageSize) << p;
        if (pages[p].count) {
            EXPECT_NE(nullptr, pages[p].names[pages[p].count - 1]) << p;
        }
        for (int i = 0; i < pages[p].count; ++i) {
            const char *name = pages[p].names[i];
            if (!name) continue;
            ++named;
            unsigned value = p * pageSize + i;
            EXPECT_TRUE(seen->insert(name).second) << name;
            EXPECT_EQ((int64_t)value, lookup(dict, name)) << name;
            EXPECT_STREQ(name, nameOf(value));
        }
    }
    for (int i = 0; i < aliasCount; ++i) {
        EXPECT_TRUE(seen->insert(aliases[i].name).second) << aliases[i].name;
        EXPECT_EQ((int64_t)aliases[i].value, lookup(dict, aliases[i].name)) << aliases[i].name;
        const char *written = nameOf(aliases[i].value);
        if (written) {
            EXPECT_STRNE(aliases[i].name, written);
        }
    }
    EXPECT_EQ(named + aliasCount, dict->count);
    return named;
}

const char *glName(unsigned v) { return __glsGLEnumName(v); }
const char *glsName(unsigned v) { return __glsEnumName((GLint)v); }

TEST(Names, GLEnumerantsRoundTrip) {
    std::set<std::string> seen;
    int named = checkPaged(dictSet()->glEnumDict, __glsGLEnumPages, __GLS_GL_ENUM_PAGE_COUNT,
                           256, __glsGLEnumAliases, __glsGLEnumAliasCount, glName, &seen);
    int pages = 0;
    for (const __GLSnamePage &page : __glsGLEnumPages) pages += page.count > 0;
    EXPECT_EQ(__GLS_GL_ENUM_NONEMPTY_PAGE_COUNT, pages);
    // GL aliases are further names of values a page already names.
    for (int i = 0; i < __glsGLEnumAliasCount; ++i) {
        const __GLSnameAlias &alias = __glsGLEnumAliases[i];
        EXPECT_NE(nullptr, __glsGLEnumName(alias.value)) << alias.name;
    }
    // A few names have no value anywhere and are left out, never more.
    EXPECT_GE(named, 960);
    EXPECT_GE(__glsGLEnumAliasCount, 184);
}

TEST(Names, GLSEnumerantsRoundTrip) {
    std::set<std::string> seen;
    EXPECT_EQ(__GLS_ENUM_NAME_COUNT,
              checkPaged(dictSet()->glsEnumDict, __glsEnumPages, __GLS_ENUM_PAGE_COUNT, 16,
                         __glsEnumAliases, __GLS_ENUM_ALIAS_COUNT, glsName, &seen));
}

TEST(Names, ValueToName) {
    const struct { bool gl; int64_t value; const char *name; } cases[] = {
        {false, 0, "GLS_NONE"},        {false, 17, "GLS_API_GL"},
        {false, 133, "GLS_UNSUPPORTED_COMMAND"}, {false, 480, "GLS_UCS1"},
        {false, 512, "GLS_SAMPLES_SGIS"}, {false, -1, nullptr},
        {false, 22 * 16, nullptr},     {false, 31 * 16, nullptr},  // empty groups
        {false, 18, nullptr},          {false, 33 * 16, nullptr},
        {false, INT32_MIN, nullptr},
        {true, 0, "GL_POINTS"},        {true, 1, "GL_LINES"},
        {true, 0x0A, nullptr},         {true, 0x0E00, nullptr},
        {true, 0x0B00, "GL_CURRENT_COLOR"}, {true, 0x8005, "GL_BLEND_COLOR"},
        {true, 0x846B, "GL_LUMINANCE16_ALPHA8_CCC_SGIX"},  // placed by the page count
        {true, 0x8150, "GL_IGNORE_BORDER"}, {true, 0x81BA, "GL_INDEX_MATERIAL_FACE_SGI"},
        {true, 0x819E, "GL_IGLOO_FULLSCREEN_SGIX"},
        {true, 0x8500, nullptr},       {true, 0xFFFFFFFF, nullptr},
    };
    for (const auto &c : cases) {
        const char *got = c.gl ? __glsGLEnumName((GLuint)c.value) : __glsEnumName((GLint)c.value);
        if (c.name) {
            EXPECT_STREQ(c.name, got) << c.value;
        } else {
            EXPECT_EQ(nullptr, got) << c.value;
        }
    }
}

TEST(Names, NameToValue) {
    __GLSdictSet *set = dictSet();
    const struct { __GLSdict *dict; const char *name; int64_t value; } cases[] = {
        {set->glsEnumDict, "GL_TRUE", 1},     {set->glsEnumDict, "GL_FALSE", 0},
        {set->glsEnumDict, "GLS_STRING_TYPE", 344},
        {set->glsEnumDict, "GL_POINTS", -1},
        {set->glEnumDict, "GL_FALSE", 0},     {set->glEnumDict, "GL_TRUE", 1},
        {set->glEnumDict, "GL_NONE", 0},      {set->glEnumDict, "GL_NO_ERROR", 0},
        {set->glEnumDict, "GL_ZERO", 0},      {set->glEnumDict, "GL_ONE", 1},
        {set->glEnumDict, "GL_BLEND_COLOR_EXT", 0x8005},
        {set->glEnumDict, "GL_TEXTURE_3D_EXT", 0x806F},
        {set->glEnumDict, "GLS_NONE", -1},    {set->glEnumDict, "gl_points", -1},
        {set->glAttribMaskDict, "GL_NONE", 0},
        {set->glAttribMaskDict, "GL_SCISSOR_BIT", 0x80000},
        {set->glAttribMaskDict, "GL_ALL_ATTRIB_BITS", 0xFFFFF},
        {set->glAttribMaskDict, "GL_MULTISAMPLE_BIT_EXT", 0x20000000},
        {set->glAttribMaskDict, "GL_CLIENT_ALL_ATTRIB_BITS", -1},
        {set->glClientAttribMaskDict, "GL_NONE", 0},
        {set->glClientAttribMaskDict, "GL_CLIENT_VERTEX_ARRAY_BIT", 0x2},
        {set->glClientAttribMaskDict, "GL_CLIENT_ALL_ATTRIB_BITS", 0xFFFFFFFF},
        {set->glsImageFlagsDict, "GLS_NONE", 0},
        {set->glsImageFlagsDict, "GLS_IMAGE_NULL_BIT", 1},
    };
    for (const auto &c : cases) EXPECT_EQ(c.value, lookup(c.dict, c.name)) << c.name;
}

TEST(Names, MaskTablesLoadInFull) {
    __GLSdictSet *set = dictSet();
    const struct { __GLSdict *dict; const char *const *names; const GLuint *values; int count; }
        tables[] = {
            {set->glAttribMaskDict, __glsGLAttribMaskNames, __glsGLAttribMaskValues, 23},
            {set->glClientAttribMaskDict, __glsGLClientAttribMaskNames,
             __glsGLClientAttribMaskValues, 4},
            {set->glsImageFlagsDict, __glsImageFlagNames, __glsImageFlagValues, 2},
        };
    for (const auto &t : tables) {
        EXPECT_EQ(t.count, t.dict->count);
        for (int i = 0; i < t.count; ++i) {
            EXPECT_EQ((int64_t)t.values[i], lookup(t.dict, t.names[i])) << t.names[i];
        }
    }
    // Every single bit from GL_CURRENT_BIT to GL_SCISSOR_BIT, in order.
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(1u << (i - 1), __glsGLAttribMaskValues[i]) << i;
}

TEST(Names, CommandNamesAndAliases) {
    __GLSdictSet *set = dictSet();
    GLSopcode op = -1;
    for (const __GLSopAlias &alias : __glsOpAliases) {
        EXPECT_TRUE(__glsOpcodeFromName(set, (const GLubyte *)alias.name, &op)) << alias.name;
        EXPECT_EQ(alias.opcode, op) << alias.name;
    }
    int named = 0;
    for (int i = 16; i < GLS_OP_COUNT; ++i) {
        if (!__glsOpNames[i]) continue;
        ++named;
        EXPECT_TRUE(__glsOpcodeFromName(set, (const GLubyte *)__glsOpNames[i], &op));
        EXPECT_EQ(i, op) << __glsOpNames[i];
    }
    EXPECT_EQ(named + __GLS_OP_ALIAS_COUNT, set->glsOpDict->count);

    const struct { const char *name; GLboolean found; GLSopcode opcode; } cases[] = {
        {"glBlendColorEXT", 1, 288},      {"glBlendColor", 1, 288},
        {"glPointParameterfSGIS", 1, 375}, {"glColorPointerEXT", 1, 319},
        {"glColorPointer", 1, 338},       {"glVertex3f", 0, 29},
        {"", 0, 29},                      {"glsUnsupportedCommand", 1, 29},
    };
    for (const auto &c : cases) {
        op = -1;
        EXPECT_EQ(c.found, __glsOpcodeFromName(set, (const GLubyte *)c.name, &op)) << c.name;
        EXPECT_EQ(c.opcode, op) << c.name;
    }
}

// The text writer copies names whole, by the lengths the tables give: its
// token copy would put a caret before a caret or a double quote, so no name
// it writes may hold one, and every length must be the name's.
TEST(Names, WrittenNamesAreCopiedWholeByTheirLengths) {
    std::vector<std::pair<const char *, size_t>> names;
    for (int op = 0; op < GLS_OP_COUNT; ++op) {
        names.push_back({__glsOpNames[op], __glsOpNameLengths[op]});
    }
    const struct {
        const __GLSnamePage *pages;
        int count;
    } tables[] = {{__glsGLEnumPages, __GLS_GL_ENUM_PAGE_COUNT},
                  {__glsEnumPages, __GLS_ENUM_PAGE_COUNT}};
    for (const auto &t : tables) {
        const __GLSnamePage *pages = t.pages;
        for (int p = 0; p < t.count; ++p) {
            for (int i = 0; i < pages[p].count; ++i) {
                names.push_back({pages[p].names[i], pages[p].lengths[i]});
            }
        }
    }
    for (int i = 0; i < __GLS_GL_ATTRIB_MASK_COUNT; ++i) {
        names.push_back({__glsGLAttribMaskNames[i], strlen(__glsGLAttribMaskNames[i])});
    }
    for (int i = 0; i < __GLS_GL_CLIENT_ATTRIB_MASK_COUNT; ++i) {
        names.push_back({__glsGLClientAttribMaskNames[i], strlen(__glsGLClientAttribMaskNames[i])});
    }
    for (int i = 0; i < __GLS_IMAGE_FLAG_COUNT; ++i) {
        names.push_back({__glsImageFlagNames[i], strlen(__glsImageFlagNames[i])});
    }
    size_t checked = 0;
    for (const auto &n : names) {
        if (!n.first) {
            EXPECT_EQ(0u, n.second);
            continue;
        }
        ++checked;
        EXPECT_EQ(nullptr, strpbrk(n.first, "^\"")) << n.first;
        EXPECT_EQ(strlen(n.first), n.second) << n.first;
    }
    EXPECT_GT(checked, 1300u);
}

// Drops the process's set so that the next user builds it again.
void resetDictSet() {
    __glsDictSetDestroy(__glsDictSet);
    __glsDictSet = nullptr;
}

struct Racer {
    std::atomic<int> *ready;
    int threads;
    __GLSdictSet *got;
};

void *race(void *arg) {
    Racer *r = (Racer *)arg;
    // Everyone asks at once, so several threads find the set missing.
    r->ready->fetch_add(1);
    while (r->ready->load() < r->threads) {
    }
    r->got = __glsGetDictSet();
    return nullptr;
}

TEST(Names, RacingFirstUsersBuildOneSet) {
    enum { THREADS = 8, ROUNDS = 40 };
    for (int round = 0; round < ROUNDS; ++round) {
        resetDictSet();
        std::atomic<int> ready(0);
        Racer racers[THREADS];
        pthread_t ids[THREADS];
        for (int i = 0; i < THREADS; ++i) {
            racers[i] = Racer{&ready, THREADS, nullptr};
            ASSERT_EQ(0, pthread_create(&ids[i], nullptr, race, &racers[i]));
        }
        for (pthread_t id : ids) pthread_join(id, nullptr);
        ASSERT_NE(nullptr, __glsDictSet);
        for (const Racer &r : racers) ASSERT_EQ(__glsDictSet, r.got) << "round " << round;
    }
    // A set built on another thread serves this one as it is.
    __GLSdictSet *built = nullptr;
    resetDictSet();
    runOnOtherThread([&] { built = __glsGetDictSet(); });
    EXPECT_EQ(built, __glsGetDictSet());
    EXPECT_EQ(1, lookup(built->glsEnumDict, "GL_TRUE"));
}

TEST(Names, DestroyAcceptsNullAndPartialSets) {
    EXPECT_EQ(0, __glsDictSetDestroy(nullptr));
    __GLSdictSet *partial = (__GLSdictSet *)calloc(1, sizeof(__GLSdictSet));
    partial->glEnumDict = __glsStrDictCreate(4, 1);
    EXPECT_EQ(0, __glsDictSetDestroy(partial));
    GLSopcode op = -1;
    EXPECT_FALSE(__glsOpcodeFromName(nullptr, (const GLubyte *)"glBlendColor", &op));
    EXPECT_EQ(29, op);
}

}  // namespace
