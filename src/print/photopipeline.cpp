#include "photopipeline.h"

#include "model/entrytable.h"

namespace zk {

PhotoPipeline::PhotoPipeline(const EntryTable& table, QList<int> pages, PhotoSource source,
    const QSize& size, int ahead, int threads)
    : entries(table), photos(std::move(source)), pictureSize(size), pagesAhead(std::max(1, ahead))
{
    jobs.reserve(size_t(pages.size()));
    for (const int page : pages) {
        Job job;
        job.page = page;
        job.slots = page_slots(entries, page);
        for (const SlotRecord& slot : job.slots)
            job.pending += slot.hasPhoto ? 1 : 0;
        jobs.push_back(std::move(job));
    }
    for (int t = 0; t < std::max(1, threads); ++t)
        workers.emplace_back([this] { work(); });
}

PhotoPipeline::~PhotoPipeline()
{
    cancel();
    for (std::thread& worker : workers)
        worker.join();
}

void PhotoPipeline::cancel()
{
    {
        const std::lock_guard<std::mutex> locker(mutex);
        stopping = true;
    }
    changed.notify_all();
}

void PhotoPipeline::work()
{
    std::unique_lock<std::mutex> locker(mutex);
    for (;;) {
        // Finds the next photo to decode; photos of a page that has already
        // failed are not decoded.
        while (!stopping && nextPhotoJob < jobs.size()) {
            Job& job = jobs[nextPhotoJob];
            const bool photo = job.slots[size_t(nextPhotoSlot)].hasPhoto;
            if (photo && job.result.ok())
                break;
            if (photo) {
                --job.pending;
                changed.notify_all();
            }
            if (++nextPhotoSlot == 3) {
                nextPhotoSlot = 0;
                ++nextPhotoJob;
            }
        }
        if (stopping || nextPhotoJob >= jobs.size())
            return;
        // Waits until the page is within reach: the page being drawn (taken - 1)
        // and pagesAhead pages after it.
        if (nextPhotoJob >= taken + size_t(pagesAhead)) {
            changed.wait(locker);
            continue;
        }
        const size_t j = nextPhotoJob;
        const int s = nextPhotoSlot;
        if (++nextPhotoSlot == 3) {
            nextPhotoSlot = 0;
            ++nextPhotoJob;
        }
        const int position = entry_index(jobs[j].page, s);
        const QString path = entries.get_field(position, EntryField::Image);

        locker.unlock();
        Picture picture = photos(path, pictureSize);
        locker.lock();

        Job& job = jobs[j];
        if (!picture.ok() || picture.image.isNull()) {
            // The topmost failing slot names the page's failure, as in the
            // sequential print, which reads the slots top to bottom.
            const PrintResult failed = photo_failure(job.slots[size_t(s)], position, path, picture);
            if (job.result.ok() || job.result.entry > position)
                job.result = failed;
        } else {
            job.slots[size_t(s)].picture = std::move(picture.image);
        }
        --job.pending;
        changed.notify_all();
    }
}

PrintResult PhotoPipeline::take(PageSlots& slots)
{
    std::unique_lock<std::mutex> locker(mutex);
    Q_ASSERT(taken < jobs.size());
    Job& job = jobs[taken];
    changed.wait(locker, [&] { return stopping || job.pending == 0; });
    // The previous page's pictures go before this page's are handed out.
    slots = {};
    ++taken;
    changed.notify_all();
    if (!job.result.ok())
        return job.result;
    slots = std::move(job.slots);
    job.slots = {};
    return {};
}

} // namespace zk
