// The numbers that show, found a row of pixels at a time. Each pixel shows the last number whose
// cell covers it, so for each row of the clip box the blocks of elements whose cells may reach
// it are taken the last first, and a block whose cells can only fall where the row is covered
// already is passed over without looking at its elements: a row costs the few numbers that
// cover it, not every number above and below it. The rows do not depend on each other, and two
// threads share them.
#pragma once

#include "coverage_mask.h"
#include "digit_atlas.h"
#include "mesh_index.h"
#include "mesh_model.h"
#include "number_placement.h"
#include "pixel_picture.h"
#include "view_transform.h"

#include <span>
#include <vector>

// Covers in `covered` every pixel of its area under the cell of a number of the elements of
// `blocks` (in index order, each with the box of its numbers' centres); with an atlas, writes
// into `composed` (a picture of the same area) the pixel each shows, from the last number whose
// cell covers it; without one, adds to `shown` every number that shows a pixel, the last first.
// On two threads where `two_threads` is set. False, having done nothing, where the blocks'
// numbers lie so spread out (a mesh numbered at random, numbers at infinities) that each row
// would look at most of them: walking the numbers once costs less then.
bool cover_numbers_by_rows(const MeshModel& mesh, const ViewTransform& view,
                           const NumberLayout& layout, const DigitAtlas* atlas,
                           std::span<const ElementBlock> blocks, CoverageMask& covered,
                           const PixelPicture& composed, std::vector<ShownNumber>& shown,
                           bool two_threads);
