// Intrusive circular lists, counted lists and chained hash dictionaries.
// The containers never own the values stored in them; a dictionary owns its
// nodes and, unless told to keep the caller's, copies of its string keys.
// None of them takes a lock.
#pragma once

#include "base/gls.h"

// Every list element begins with a node; other records embed one as their
// first member and are passed here by a cast to the node.
struct __GLSlistNode {
    __GLSlistNode *next;  // the tail's next is the head
    __GLSlistNode *prev;  // the head's prev is the tail
};

// A list is the pointer to its head node, null when empty. The list
// functions take the address of that pointer.
typedef __GLSlistNode *__GLSlist;

// An iterator is the current node, null once the iteration has ended.
typedef __GLSlistNode *__GLSlistIter;

// Called with each node a delete or clear unlinks.
typedef void (*__GLSfreeNodeFunc)(void *node);

void __glsListAppend(__GLSlist *list, __GLSlistNode *node);
void __glsListPrepend(__GLSlist *list, __GLSlistNode *node);
// The node must belong to the list; it is unlinked, not freed.
void __glsListRemove(__GLSlist *list, __GLSlistNode *node);
void __glsListDelete(__GLSlist *list, __GLSlistNode *node, __GLSfreeNodeFunc freeNode);
void __glsListClear(__GLSlist *list, __GLSfreeNodeFunc freeNode);
void __glsListFirst(__GLSlist *list, __GLSlistIter *iter);
void __glsListLast(__GLSlist *list, __GLSlistIter *iter);
// Null after the tail; no effect on a null iterator.
void __glsListNext(__GLSlist *list, __GLSlistIter *iter);
// Null before the head; no effect on a null iterator.
void __glsListPrev(__GLSlist *list, __GLSlistIter *iter);

// A list with its length and a cursor that the programming interface counts
// and indexes by position.
struct __GLScountedList {
    __GLSlist head;
    GLint count;
    __GLSlistNode *cursor;  // node of the last first/last/next/prev/seek step
    GLint index;            // the cursor's position from the head; 0 when null
};

void __glsCountedListAppend(__GLScountedList *clist, __GLSlistNode *node);
void __glsCountedListPrepend(__GLScountedList *clist, __GLSlistNode *node);
void __glsCountedListRemove(__GLScountedList *clist, __GLSlistNode *node);
void __glsCountedListDelete(__GLScountedList *clist, __GLSlistNode *node,
                            __GLSfreeNodeFunc freeNode);
void __glsCountedListClear(__GLScountedList *clist, __GLSfreeNodeFunc freeNode);
void __glsCountedListFirst(__GLScountedList *clist);
// Returns the cursor's index: count - 1, or 0 when the list is empty.
GLint __glsCountedListLast(__GLScountedList *clist);
void __glsCountedListNext(__GLScountedList *clist);
void __glsCountedListPrev(__GLScountedList *clist);
// Moves the cursor to position i; nothing changes unless 0 <= i < count.
void __glsCountedListSeek(__GLScountedList *clist, GLint i);

// A chained hash table from an integer or string key to a pointer value.
// The bucket count is a power of two and doubles once the table holds as
// many nodes as it has buckets; it never shrinks.
struct __GLSdict {
    GLint count;
    __GLSlist *buckets;
    GLint mask;      // bucket count - 1
    GLint keepKeys;  // string keys: store the caller's pointer, not a copy
};

// At least size buckets, rounded up to a power of two; null when size < 1
// or memory runs out.
__GLSdict *__glsDictCreate(GLint size, GLint keepKeys);

__GLSdict *__glsIntDictCreate(GLint size);
// 0 when the key already has a non-null value or memory runs out.
GLboolean __glsIntDictAdd(__GLSdict *dict, GLuint key, void *value);
void *__glsIntDictFind(__GLSdict *dict, GLuint key);
// 0 when the key is absent.
GLboolean __glsIntDictReplace(__GLSdict *dict, GLuint key, void *value);
void __glsIntDictRemove(__GLSdict *dict, GLuint key);
// Accepts null; always returns null.
__GLSdict *__glsIntDictDelete(__GLSdict *dict);
void __glsIntDictPrint(__GLSdict *dict, const char *title);

// keepKeys non-zero: the caller keeps every key string alive for the
// dictionary's life.
__GLSdict *__glsStrDictCreate(GLint size, GLint keepKeys);
// 0 when the key is present at all, whatever its value, or memory runs out.
GLboolean __glsStrDictInsert(__GLSdict *dict, const GLubyte *key, void *value);
// 0 when the key already has a non-null value or memory runs out.
GLboolean __glsStrDictAdd(__GLSdict *dict, const GLubyte *key, void *value);
// 1 when present, storing the value through outValue unless it is null.
GLboolean __glsStrDictFind(__GLSdict *dict, const GLubyte *key, void **outValue);
void *__glsStrDictLookup(__GLSdict *dict, const GLubyte *key);
GLboolean __glsStrDictReplace(__GLSdict *dict, const GLubyte *key, void *value);
void __glsStrDictRemove(__GLSdict *dict, const GLubyte *key);
// Accepts null; always returns null. Values are not touched.
__GLSdict *__glsStrDictDelete(__GLSdict *dict);
void __glsStrDictPrint(__GLSdict *dict, const char *title);
