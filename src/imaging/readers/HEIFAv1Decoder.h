#pragma once
// The AV1 decoder libheif is given for AVIF pictures: dav1d on one thread
// with no frame threading. A still picture has one frame, and frame
// threading only makes dav1d clear and keep a coefficient buffer the size
// of the whole picture (72 MB for 12 megapixels), which made AVIF four times
// slower than the format's own tool.
namespace orvane::imaging {

// Registers the decoder with libheif, ahead of its own AV1 decoders.
void RegisterHeifAv1Decoder();

} // namespace orvane::imaging
