#include "base/dict.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/util.h"

// ---------------------------------------------------------------- lists

void __glsListAppend(__GLSlist *list, __GLSlistNode *node) {
    __GLSlistNode *head = *list;
    if (!head) {
        node->next = node->prev = node;
        *list = node;
        return;
    }
    node->next = head;
    node->prev = head->prev;
    head->prev->next = node;
    head->prev = node;
}

void __glsListPrepend(__GLSlist *list, __GLSlistNode *node) {
    __glsListAppend(list, node);
    *list = node;
}

void __glsListRemove(__GLSlist *list, __GLSlistNode *node) {
    if (node->next == node) {
        *list = nullptr;
        return;
    }
    node->prev->next = node->next;
    node->next->prev = node->prev;
    if (*list == node) *list = node->next;
}

void __glsListDelete(__GLSlist *list, __GLSlistNode *node, __GLSfreeNodeFunc freeNode) {
    __glsListRemove(list, node);
    freeNode(node);
}

void __glsListClear(__GLSlist *list, __GLSfreeNodeFunc freeNode) {
    while (*list) __glsListDelete(list, *list, freeNode);
}

void __glsListFirst(__GLSlist *list, __GLSlistIter *iter) { *iter = *list; }

void __glsListLast(__GLSlist *list, __GLSlistIter *iter) {
    *iter = *list ? (*list)->prev : nullptr;
}

void __glsListNext(__GLSlist *list, __GLSlistIter *iter) {
    if (!*iter) return;
    *iter = (*iter)->next;
    if (*iter == *list) *iter = nullptr;
}

void __glsListPrev(__GLSlist *list, __GLSlistIter *iter) {
    if (!*iter) return;
    *iter = (*iter == *list) ? nullptr : (*iter)->prev;
}

// --------------------------------------------------------- counted lists

void __glsCountedListAppend(__GLScountedList *clist, __GLSlistNode *node) {
    __glsListAppend(&clist->head, node);
    ++clist->count;
}

void __glsCountedListPrepend(__GLScountedList *clist, __GLSlistNode *node) {
    __glsListPrepend(&clist->head, node);
    ++clist->count;
    // The cursor's node is now one place further from the head.
    if (clist->cursor) ++clist->index;
}

void __glsCountedListRemove(__GLScountedList *clist, __GLSlistNode *node) {
    __glsListRemove(&clist->head, node);
    --clist->count;
    clist->cursor = nullptr;
    clist->index = 0;
}

void __glsCountedListDelete(__GLScountedList *clist, __GLSlistNode *node,
                            __GLSfreeNodeFunc freeNode) {
    __glsCountedListRemove(clist, node);
    freeNode(node);
}

void __glsCountedListClear(__GLScountedList *clist, __GLSfreeNodeFunc freeNode) {
    __glsListClear(&clist->head, freeNode);
    clist->count = 0;
    clist->cursor = nullptr;
    clist->index = 0;
}

void __glsCountedListFirst(__GLScountedList *clist) {
    __glsListFirst(&clist->head, &clist->cursor);
    clist->index = 0;
}

GLint __glsCountedListLast(__GLScountedList *clist) {
    __glsListLast(&clist->head, &clist->cursor);
    clist->index = clist->cursor ? clist->count - 1 : 0;
    return clist->index;
}

void __glsCountedListNext(__GLScountedList *clist) {
    __glsListNext(&clist->head, &clist->cursor);
    clist->index = clist->cursor ? clist->index + 1 : 0;
}

void __glsCountedListPrev(__GLScountedList *clist) {
    __glsListPrev(&clist->head, &clist->cursor);
    clist->index = clist->cursor ? clist->index - 1 : 0;
}

void __glsCountedListSeek(__GLScountedList *clist, GLint i) {
    // A negative position would step back past the head forever, since a
    // cursor that falls off the list restarts at index 0.
    if (i < 0 || i >= clist->count) return;
    if (!clist->cursor) clist->cursor = clist->head;
    while (clist->cursor && clist->index < i) __glsCountedListNext(clist);
    while (clist->cursor && clist->index > i) __glsCountedListPrev(clist);
}

// ---------------------------------------------------------- dictionaries

struct __GLSdictNode {
    __GLSlistNode link;
    union {
        GLuint i;
        GLubyte *s;
    } key;
    void *value;
};

static GLuint strHash(const GLubyte *key) {
    GLuint sum = 0;
    while (*key) sum += *key++;
    return sum;
}

static __GLSlist *bucketOf(__GLSdict *dict, const __GLSdictNode *node, bool strKeys) {
    GLuint hash = strKeys ? strHash(node->key.s) : node->key.i;
    return &dict->buckets[hash & (GLuint)dict->mask];
}

// Doubles the bucket array; on failure the dictionary keeps working with
// the old one (the allocation has raised the resource error).
static void grow(__GLSdict *dict, bool strKeys) {
    // Beyond 2^30 buckets the mask would no longer fit its 32-bit field.
    if (dict->mask >= 0x3FFFFFFF) return;
    GLint oldSize = dict->mask + 1;
    __GLSlist *old = dict->buckets;
    __GLSlist *fresh = (__GLSlist *)__glsCalloc((size_t)oldSize * 2, sizeof(__GLSlist));
    if (!fresh) return;
    dict->buckets = fresh;
    dict->mask = oldSize * 2 - 1;
    for (GLint b = 0; b < oldSize; ++b) {
        while (old[b]) {
            __GLSdictNode *node = (__GLSdictNode *)old[b];
            __glsListRemove(&old[b], &node->link);
            __glsListAppend(bucketOf(dict, node, strKeys), &node->link);
        }
    }
    free(old);
}

static void insertNode(__GLSdict *dict, __GLSdictNode *node, bool strKeys) {
    if (dict->count++ > dict->mask) grow(dict, strKeys);
    __glsListPrepend(bucketOf(dict, node, strKeys), &node->link);
}

__GLSdict *__glsDictCreate(GLint size, GLint keepKeys) {
    if (size < 1) return nullptr;
    __GLSdict *dict = (__GLSdict *)__glsCalloc(1, sizeof(__GLSdict));
    if (!dict) return nullptr;
    size_t buckets = __glsNextPow2((size_t)size);
    dict->buckets = (__GLSlist *)__glsCalloc(buckets, sizeof(__GLSlist));
    if (!dict->buckets) {
        free(dict);
        return nullptr;
    }
    dict->mask = (GLint)(buckets - 1);
    dict->keepKeys = keepKeys;
    return dict;
}

static void printDict(__GLSdict *dict, const char *title, bool strKeys) {
    printf("%s(\n", title);
    for (GLint b = 0; b <= dict->mask; ++b) {
        __GLSlistIter it;
        __glsListFirst(&dict->buckets[b], &it);
        if (!it) continue;
        printf("   ");
        for (; it; __glsListNext(&dict->buckets[b], &it)) {
            const __GLSdictNode *node = (const __GLSdictNode *)it;
            if (strKeys)
                printf(" %s", (const char *)node->key.s);
            else
                printf(" %d", (int)node->key.i);
        }
        printf("\n");
    }
    printf(")\n");
}

// ------------------------------------------------ integer-key dictionary

static __GLSdictNode *intFindNode(__GLSdict *dict, GLuint key) {
    __GLSlist *bucket = &dict->buckets[key & (GLuint)dict->mask];
    __GLSlistIter it;
    for (__glsListFirst(bucket, &it); it; __glsListNext(bucket, &it)) {
        if (((__GLSdictNode *)it)->key.i == key) return (__GLSdictNode *)it;
    }
    return nullptr;
}

__GLSdict *__glsIntDictCreate(GLint size) { return __glsDictCreate(size, 0); }

GLboolean __glsIntDictAdd(__GLSdict *dict, GLuint key, void *value) {
    if (__glsIntDictFind(dict, key)) return 0;
    __GLSdictNode *node = (__GLSdictNode *)__glsCalloc(1, sizeof(__GLSdictNode));
    if (!node) return 0;
    node->key.i = key;
    node->value = value;
    insertNode(dict, node, false);
    return 1;
}

void *__glsIntDictFind(__GLSdict *dict, GLuint key) {
    __GLSdictNode *node = intFindNode(dict, key);
    return node ? node->value : nullptr;
}

GLboolean __glsIntDictReplace(__GLSdict *dict, GLuint key, void *value) {
    __GLSdictNode *node = intFindNode(dict, key);
    if (!node) return 0;
    node->value = value;
    return 1;
}

void __glsIntDictRemove(__GLSdict *dict, GLuint key) {
    __GLSdictNode *node = intFindNode(dict, key);
    if (!node) return;
    __glsListRemove(&dict->buckets[key & (GLuint)dict->mask], &node->link);
    free(node);
    --dict->count;
}

__GLSdict *__glsIntDictDelete(__GLSdict *dict) {
    if (!dict) return nullptr;
    for (GLint b = 0; b <= dict->mask; ++b) __glsListClear(&dict->buckets[b], free);
    free(dict->buckets);
    free(dict);
    return nullptr;
}

void __glsIntDictPrint(__GLSdict *dict, const char *title) { printDict(dict, title, false); }

// ------------------------------------------------- string-key dictionary

static __GLSdictNode *strFindNode(__GLSdict *dict, const GLubyte *key) {
    __GLSlist *bucket = &dict->buckets[strHash(key) & (GLuint)dict->mask];
    __GLSlistIter it;
    for (__glsListFirst(bucket, &it); it; __glsListNext(bucket, &it)) {
        const GLubyte *k = ((__GLSdictNode *)it)->key.s;
        if (!strcmp((const char *)k, (const char *)key)) return (__GLSdictNode *)it;
    }
    return nullptr;
}

static void freeStrNode(__GLSdict *dict, __GLSdictNode *node) {
    if (!dict->keepKeys) free(node->key.s);
    free(node);
}

static GLboolean strAddNode(__GLSdict *dict, const GLubyte *key, void *value) {
    __GLSdictNode *node = (__GLSdictNode *)__glsCalloc(1, sizeof(__GLSdictNode));
    if (!node) return 0;
    if (dict->keepKeys) {
        node->key.s = (GLubyte *)key;
    } else {
        size_t n = strlen((const char *)key) + 1;
        node->key.s = (GLubyte *)__glsMalloc(n);
        if (!node->key.s) {
            free(node);
            return 0;
        }
        memcpy(node->key.s, key, n);
    }
    node->value = value;
    insertNode(dict, node, true);
    return 1;
}

__GLSdict *__glsStrDictCreate(GLint size, GLint keepKeys) {
    return __glsDictCreate(size, keepKeys);
}

GLboolean __glsStrDictInsert(__GLSdict *dict, const GLubyte *key, void *value) {
    if (strFindNode(dict, key)) return 0;
    return strAddNode(dict, key, value);
}

GLboolean __glsStrDictAdd(__GLSdict *dict, const GLubyte *key, void *value) {
    if (__glsStrDictLookup(dict, key)) return 0;
    return strAddNode(dict, key, value);
}

GLboolean __glsStrDictFind(__GLSdict *dict, const GLubyte *key, void **outValue) {
    __GLSdictNode *node = strFindNode(dict, key);
    if (!node) return 0;
    if (outValue) *outValue = node->value;
    return 1;
}

void *__glsStrDictLookup(__GLSdict *dict, const GLubyte *key) {
    __GLSdictNode *node = strFindNode(dict, key);
    return node ? node->value : nullptr;
}

GLboolean __glsStrDictReplace(__GLSdict *dict, const GLubyte *key, void *value) {
    __GLSdictNode *node = strFindNode(dict, key);
    if (!node) return 0;
    node->value = value;
    return 1;
}

void __glsStrDictRemove(__GLSdict *dict, const GLubyte *key) {
    __GLSdictNode *node = strFindNode(dict, key);
    if (!node) return;
    __glsListRemove(&dict->buckets[strHash(key) & (GLuint)dict->mask], &node->link);
    freeStrNode(dict, node);
    --dict->count;
}

__GLSdict *__glsStrDictDelete(__GLSdict *dict) {
    if (!dict) return nullptr;
    for (GLint b = 0; b <= dict->mask; ++b) {
        while (dict->buckets[b]) {
            __GLSdictNode *node = (__GLSdictNode *)dict->buckets[b];
            __glsListRemove(&dict->buckets[b], &node->link);
            freeStrNode(dict, node);
        }
    }
    free(dict->buckets);
    free(dict);
    return nullptr;
}

void __glsStrDictPrint(__GLSdict *dict, const char *title) { printDict(dict, title, true); }
