#pragma once
// The picture classes of the platform (Windows bitmap, icon, JPEG) under
// their usual extensions, as the picture loader knows them before the format
// registry adds its own: enough for a program or test that shows JPEG
// pictures without the whole registry.
namespace orvane::imaging {

void RegisterPlatformPictureClasses();

} // namespace orvane::imaging
