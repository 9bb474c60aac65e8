#include <gtest/gtest.h>

#include <stdio.h>
#include <string>
#include <vector>

#include "base/dict.h"

namespace {

const GLubyte *S(const char *s) { return (const GLubyte *)s; }
void *V(uintptr_t v) { return (void *)v; }

struct Item {
    __GLSlistNode link;
    int id;
};

std::vector<int> forward(__GLSlist *list) {
    std::vector<int> ids;
    __GLSlistIter it;
    for (__glsListFirst(list, &it); it; __glsListNext(list, &it)) ids.push_back(((Item *)it)->id);
    return ids;
}

std::vector<int> backward(__GLSlist *list) {
    std::vector<int> ids;
    __GLSlistIter it;
    for (__glsListLast(list, &it); it; __glsListPrev(list, &it)) ids.push_back(((Item *)it)->id);
    return ids;
}

int freed;
void countFree(void *) { ++freed; }

TEST(List, RingStaysWholeAndIteratorsEndAtTheEnds) {
    Item a{{}, 1}, b{{}, 2}, c{{}, 3}, d{{}, 4};
    __GLSlist list = nullptr;
    __glsListAppend(&list, &a.link);
    EXPECT_EQ(a.link.next, &a.link);
    EXPECT_EQ(a.link.prev, &a.link);
    __glsListAppend(&list, &b.link);
    __glsListAppend(&list, &c.link);
    __glsListPrepend(&list, &d.link);
    EXPECT_EQ(forward(&list), (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(backward(&list), (std::vector<int>{3, 2, 1, 4}));

    __glsListRemove(&list, &d.link);  // the head: its next takes over
    EXPECT_EQ(list, &a.link);
    __glsListRemove(&list, &b.link);
    EXPECT_EQ(forward(&list), (std::vector<int>{1, 3}));
    EXPECT_EQ(backward(&list), (std::vector<int>{3, 1}));

    __GLSlistIter it;
    __glsListLast(&list, &it);
    __glsListNext(&list, &it);
    EXPECT_EQ(it, nullptr);
    __glsListNext(&list, &it);  // no effect on an ended iterator
    EXPECT_EQ(it, nullptr);
    __glsListFirst(&list, &it);
    __glsListPrev(&list, &it);
    EXPECT_EQ(it, nullptr);

    freed = 0;
    __glsListClear(&list, countFree);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(freed, 2);
    __glsListFirst(&list, &it);
    EXPECT_EQ(it, nullptr);
    __glsListLast(&list, &it);
    EXPECT_EQ(it, nullptr);
}

TEST(CountedList, CursorFollowsEveryStep) {
    Item items[4] = {{{}, 0}, {{}, 1}, {{}, 2}, {{}, 3}};
    __GLScountedList cl = {};
    EXPECT_EQ(__glsCountedListLast(&cl), 0);
    EXPECT_EQ(cl.cursor, nullptr);

    for (Item &i : items) __glsCountedListAppend(&cl, &i.link);
    EXPECT_EQ(cl.count, 4);
    EXPECT_EQ(__glsCountedListLast(&cl), 3);
    EXPECT_EQ(cl.cursor, &items[3].link);
    __glsCountedListNext(&cl);
    EXPECT_EQ(cl.cursor, nullptr);
    EXPECT_EQ(cl.index, 0);

    // Seek from an unset cursor and from either side of the target.
    struct {
        GLint to, index;
    } seeks[] = {{2, 2}, {0, 0}, {3, 3}, {1, 1}, {4, 1}, {-1, 1}};
    for (auto s : seeks) {
        __glsCountedListSeek(&cl, s.to);
        EXPECT_EQ(cl.index, s.index) << "seek " << s.to;
        EXPECT_EQ(cl.cursor, &items[s.index].link) << "seek " << s.to;
    }

    Item front{{}, 9};
    __glsCountedListPrepend(&cl, &front.link);
    EXPECT_EQ(cl.index, 2);
    EXPECT_EQ(cl.cursor, &items[1].link);
    __glsCountedListPrev(&cl);
    __glsCountedListPrev(&cl);
    EXPECT_EQ(cl.cursor, &front.link);
    __glsCountedListPrev(&cl);
    EXPECT_EQ(cl.cursor, nullptr);
    EXPECT_EQ(cl.index, 0);

    __glsCountedListSeek(&cl, 4);
    __glsCountedListRemove(&cl, &items[0].link);
    EXPECT_EQ(cl.count, 4);
    EXPECT_EQ(cl.cursor, nullptr);
    EXPECT_EQ(cl.index, 0);

    freed = 0;
    __glsCountedListClear(&cl, countFree);
    EXPECT_EQ(freed, 4);
    EXPECT_EQ(cl.head, nullptr);
    EXPECT_EQ(cl.count, 0);
}

TEST(Dict, CreateRoundsBucketsUpToAPowerOfTwo) {
    struct {
        GLint size, buckets;
    } cases[] = {{1, 1}, {2, 2}, {3, 4}, {5, 8}, {8, 8}, {9, 16}, {0, 0}, {-3, 0}};
    for (auto c : cases) {
        for (GLint keep = 0; keep < 2; ++keep) {
            __GLSdict *d = keep ? __glsStrDictCreate(c.size, 1) : __glsIntDictCreate(c.size);
            if (!c.buckets) {
                EXPECT_EQ(d, nullptr) << c.size;
                continue;
            }
            ASSERT_NE(d, nullptr) << c.size;
            EXPECT_EQ(d->mask + 1, c.buckets) << c.size;
            EXPECT_EQ(d->count, 0);
            keep ? __glsStrDictDelete(d) : __glsIntDictDelete(d);
        }
    }
    EXPECT_EQ(__glsIntDictDelete(nullptr), nullptr);
    EXPECT_EQ(__glsStrDictDelete(nullptr), nullptr);
}

TEST(Dict, IntKeysGrowCollideAndRemove) {
    __GLSdict *d = __glsIntDictCreate(1);
    const GLint bucketsAfter[] = {1, 2, 4, 4, 8, 8, 8, 8, 16};
    for (GLuint k = 0; k < 9; ++k) {
        ASSERT_TRUE(__glsIntDictAdd(d, k * 16, V(k + 100)));  // all collide below 16 buckets
        EXPECT_EQ(d->mask + 1, bucketsAfter[k]) << "after key " << k;
    }
    for (GLuint k = 0; k < 9; ++k) EXPECT_EQ(__glsIntDictFind(d, k * 16), V(k + 100));
    EXPECT_EQ(d->count, 9);

    EXPECT_FALSE(__glsIntDictAdd(d, 32, V(1)));
    EXPECT_TRUE(__glsIntDictReplace(d, 32, V(7)));
    EXPECT_EQ(__glsIntDictFind(d, 32), V(7));
    EXPECT_FALSE(__glsIntDictReplace(d, 33, V(7)));

    __glsIntDictRemove(d, 33);
    EXPECT_EQ(d->count, 9);
    __glsIntDictRemove(d, 32);
    EXPECT_EQ(d->count, 8);
    EXPECT_EQ(__glsIntDictFind(d, 32), nullptr);
    EXPECT_EQ(__glsIntDictFind(d, 48), V(103));
    EXPECT_EQ(d->mask + 1, 16);  // removal never shrinks

    // A key whose value is null counts as absent for Add.
    EXPECT_TRUE(__glsIntDictAdd(d, 5, nullptr));
    EXPECT_TRUE(__glsIntDictAdd(d, 5, V(2)));
    EXPECT_EQ(__glsIntDictFind(d, 5), V(2));
    __glsIntDictDelete(d);
}

TEST(Dict, StringKeysHashByUnsignedByteSum) {
    struct {
        GLint size;
        const char *key;
        GLint bucket;
    } cases[] = {{8, "ab", (97 + 98) & 7}, {512, "\xE9", 0xE9}, {4, "", 0}};
    for (auto c : cases) {
        __GLSdict *d = __glsStrDictCreate(c.size, 0);
        ASSERT_TRUE(__glsStrDictAdd(d, S(c.key), V(1)));
        for (GLint b = 0; b < c.size; ++b)
            EXPECT_EQ(d->buckets[b] != nullptr, b == c.bucket) << c.key << " " << b;
        __glsStrDictDelete(d);
    }
}

TEST(Dict, StringInsertAndAddTreatNullValuesDifferently) {
    __GLSdict *d = __glsStrDictCreate(1, 0);
    void *out = V(99);
    EXPECT_TRUE(__glsStrDictInsert(d, S("k"), nullptr));
    EXPECT_FALSE(__glsStrDictInsert(d, S("k"), V(1)));
    EXPECT_TRUE(__glsStrDictFind(d, S("k"), &out));
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(__glsStrDictAdd(d, S("k"), V(1)));
    EXPECT_FALSE(__glsStrDictAdd(d, S("k"), V(2)));
    EXPECT_EQ(__glsStrDictLookup(d, S("k")), V(1));  // the newest node comes first
    EXPECT_EQ(d->count, 2);
    EXPECT_TRUE(__glsStrDictReplace(d, S("k"), V(3)));
    EXPECT_EQ(__glsStrDictLookup(d, S("k")), V(3));

    __glsStrDictRemove(d, S("nope"));
    EXPECT_EQ(d->count, 2);
    __glsStrDictRemove(d, S("k"));
    EXPECT_EQ(d->count, 1);
    EXPECT_EQ(__glsStrDictLookup(d, S("k")), nullptr);
    EXPECT_TRUE(__glsStrDictFind(d, S("k"), nullptr));
    EXPECT_FALSE(__glsStrDictFind(d, S("kk"), &out));
    __glsStrDictDelete(d);
}

TEST(Dict, KeepKeysDecidesWhoseStringIsStored) {
    for (GLint keep = 0; keep < 2; ++keep) {
        char key[] = "ab";
        __GLSdict *d = __glsStrDictCreate(4, keep);
        ASSERT_TRUE(__glsStrDictAdd(d, S(key), V(1)));
        key[0] = 'b';  // "ba": same byte sum, same bucket
        key[1] = 'a';
        EXPECT_EQ(__glsStrDictLookup(d, S("ab")), keep ? nullptr : V(1)) << keep;
        EXPECT_EQ(__glsStrDictLookup(d, S("ba")), keep ? V(1) : nullptr) << keep;
        __glsStrDictDelete(d);
    }
}

TEST(Dict, StringKeysSurviveGrowthAndRemoval) {
    __GLSdict *d = __glsStrDictCreate(1, 0);
    std::vector<std::string> keys;
    for (int i = 0; i < 100; ++i) keys.push_back("key" + std::to_string(i));
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(__glsStrDictAdd(d, S(keys[i].c_str()), V(i + 1)));
    EXPECT_EQ(d->mask + 1, 128);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(__glsStrDictLookup(d, S(keys[i].c_str())), V(i + 1));
    for (int i = 0; i < 100; i += 2) __glsStrDictRemove(d, S(keys[i].c_str()));
    EXPECT_EQ(d->count, 50);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(__glsStrDictLookup(d, S(keys[i].c_str())), i % 2 ? V(i + 1) : nullptr);
    __glsStrDictDelete(d);  // the sanitizer reports any key copy left behind
}

TEST(Dict, PrintListsKeysByBucketNewestFirst) {
    __GLSdict *i = __glsIntDictCreate(4);
    __glsIntDictAdd(i, 1, V(1));
    __glsIntDictAdd(i, 5, V(1));
    __glsIntDictAdd(i, 2, V(1));
    __GLSdict *s = __glsStrDictCreate(2, 1);
    __glsStrDictAdd(s, S("a"), V(1));  // 97: bucket 1
    __glsStrDictAdd(s, S("b"), V(1));  // 98: bucket 0

    testing::internal::CaptureStdout();
    __glsIntDictPrint(i, "ints");
    __glsStrDictPrint(s, "strs");
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ints(\n    5 1\n    2\n)\nstrs(\n    b\n    a\n)\n");
    __glsIntDictDelete(i);
    __glsStrDictDelete(s);
}

}  // namespace
