#pragma once

#include "albumprint.h"

#include "model/entrytable.h"

#include <QList>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace zk {

// Decodes the photos of the pages to print on worker threads while the
// printing thread draws: at most pagesAhead pages beyond the one last taken
// are decoded, so no more than (pagesAhead + 1) x 3 pictures are held at once
// (with 2 ahead and 300 dpi pictures of 1417 x 1028: 9 x 5.8 MB = 52 MB).
//
// The photo source is called from the worker threads, several at once; it
// must be safe for that (print_photo_source() is).
class PhotoPipeline
{
public:
    PhotoPipeline(const EntryTable& entries, QList<int> pages, PhotoSource photos,
        const QSize& pictureSize, int pagesAhead, int threads);
    // Stops the workers; a photo being decoded is finished first.
    ~PhotoPipeline();

    PhotoPipeline(const PhotoPipeline&) = delete;
    PhotoPipeline& operator=(const PhotoPipeline&) = delete;

    // The slots of the next page of the list, in order, waiting for its photos;
    // as load_page_slots(): a photo that cannot be read gives its Failed result.
    PrintResult take(PageSlots& slots);
    // Nothing more is decoded; take() must not be called afterwards.
    void cancel();

private:
    struct Job
    {
        int page = 0;
        PageSlots slots;
        int pending = 0; // photos still to decode
        PrintResult result;
    };

    void work();

    // A copy of its own: the workers read it while the album may change.
    const EntryTable entries;
    PhotoSource photos;
    QSize pictureSize;
    int pagesAhead;

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Job> jobs; // one per page of the list, in order
    size_t nextPhotoJob = 0; // the page whose photos are handed out next
    int nextPhotoSlot = 0;
    size_t taken = 0; // pages handed to the printing thread
    bool stopping = false;
    std::vector<std::thread> workers;
};

} // namespace zk
