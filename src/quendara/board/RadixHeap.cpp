#include "board/RadixHeap.h"

#include <algorithm>

RadixHeap::RadixHeap(int n) : buckets(), nodes(new Node[std::size_t(n)])
{
    for (Node& sentinel : buckets) {
        sentinel.next = &sentinel;
        sentinel.prev = &sentinel;
    }
    // Bucket j holds the keys above the bound of bucket j - 1 up to its own; the last takes everything
    // up to n times the largest key.
    bounds[0] = -1;
    for (int j = 1; j < bucketCount; ++j) {
        bounds[j] = (1LL << (j - 1)) - 1;
    }
    bounds[bucketCount] = (long long)n * MaxKey + 1;
}

int RadixHeap::FindBucket(int key, int start) const
{
    int i = start - 1;
    while (i > 0 && bounds[i] >= key) {
        --i;
    }
    return i + 1;
}

void RadixHeap::Append(Node* node, int bucket)
{
    Node& sentinel = buckets[bucket];
    node->bucket = bucket;
    node->prev = sentinel.prev;
    node->next = &sentinel;
    sentinel.prev->next = node;
    sentinel.prev = node;
}

void RadixHeap::Unlink(Node* node)
{
    node->prev->next = node->next;
    node->next->prev = node->prev;
}

void RadixHeap::Insert(int item, int key)
{
    Node* node = &nodes[std::size_t(item)];
    node->item = item;
    node->key = key;
    Append(node, FindBucket(key, bucketCount));
    ++itemCount;
}

void RadixHeap::DecreaseKey(int item, int key)
{
    Node* node = &nodes[std::size_t(item)];
    Unlink(node);
    node->key = key;
    Append(node, FindBucket(key, node->bucket));
}

RadixHeap::Node* RadixHeap::FirstMinimum(int bucket)
{
    Node* sentinel = &buckets[bucket];
    Node* best = sentinel->next;
    for (Node* node = best->next; node != sentinel; node = node->next) {
        if (node->key < best->key) {
            best = node;
        }
    }
    return best;
}

int RadixHeap::Take(Node* node)
{
    Unlink(node);
    --itemCount;
    return node->item;
}

// Bucket 1 only ever holds the current minimum key. Otherwise the lowest filled bucket is split: the
// bounds below it are narrowed around its smallest key and its other nodes move down, in their order.
int RadixHeap::DeleteMin()
{
    if (buckets[1].next != &buckets[1]) {
        return Take(buckets[1].next);
    }
    int i = 2;
    while (buckets[i].next == &buckets[i]) {
        ++i;
    }
    Node* minimum = FirstMinimum(i);
    const int item = Take(minimum);
    const long long key = minimum->key;
    bounds[0] = key - 1;
    bounds[1] = key;
    for (int j = 2; j < i; ++j) {
        bounds[j] = std::min(bounds[j - 1] + (1LL << (j - 2)), bounds[i]);
    }
    Node* sentinel = &buckets[i];
    while (sentinel->next != sentinel) {
        Node* node = sentinel->next;
        Unlink(node);
        Append(node, FindBucket(node->key, i - 1));
    }
    return item;
}
