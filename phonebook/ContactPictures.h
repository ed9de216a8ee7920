// A contact's picture: the photo columns of its record, the photo cache on the PC and
// the copies to and from the model's picture folder on the handset.
#pragma once

#include <string>

#include "ColumnChanges.h"
#include "KelvraBase.h"
#include "PhonebookLayouts.h"
#include "PhonebookSettings.h"

namespace kelvra {

class ContactPictures {
public:
    // A picture cached for a contact, to be sent to the handset once its record is stored.
    struct Pending {
        std::wstring cachedPath;
        std::wstring handsetPath;
    };

    ContactPictures(CKelvraBase& link, const ContactLayout& layout, const PhonebookSettings& settings);

    // The photo columns; fetching copies the picture from the handset into the cache.
    void Decode(const RecordBytes& record, ColumnMap& map, bool fetch);
    // Names a changed picture in the record and caches it; what is to be sent, if anything.
    Pending Encode(RecordBytes& record, ColumnChanges& changes, bool photoSupported, uint32_t index) const;
    // False when the picture did not reach the handset.
    bool Send(const Pending& picture);

    // Copies a picture that loads as a bitmap into the photo cache as "%03d_%s".
    static bool CachePhoto(int number, const std::wstring& source, const std::wstring& fileName,
                           std::wstring& cachedPath);
    // "<application data>\Orvane\Lumen Desk\KELVRA_PB\", created; empty when unknown.
    static std::wstring PhotoCacheFolder();

private:
    bool ModelKeepsNoPhotos() const;
    std::wstring HandsetPictureFolder() const;

    CKelvraBase& m_link;
    const ContactLayout& m_layout;
    const PhonebookSettings& m_settings;
};

}  // namespace kelvra
