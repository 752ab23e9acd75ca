# Checks a screenshot of the viewer against a mesh file set: every drawn side is a black line and
# every element has its red number where the view fit puts them, sides marked -1 are not drawn,
# and no red lies anywhere else.
#
# Input files, in order: the node, element and side files, then the picture's black and red
# pixels as lines "x y black" or "x y red". Variables: width and height of the screenshot, which
# holds the menu bar above the client area; the menu bar's height is not known, so every height
# up to max_menu is tried and the picture passes when one of them fits. The view the user made,
# if any: `steps` notches of the wheel in at window point (about_x, about_y), then a drag by
# (pan_x, pan_y), then `right` presses of the right arrow and `up` of the up arrow.

BEGIN {
    if (max_menu == "") max_menu = 60
    steps += 0; about_x += 0; about_y += 0; pan_x += 0; pan_y += 0; right += 0; up += 0
    red_count = 0
    # Every file is read as a stream of whitespace-separated tokens.
    RS = "[ \t\r\n]+"
}

FNR == 1 { file_index++; token = 0 }

$0 == "" { next }

file_index <= 3 {
    token_list[file_index, token++] = $0
    next
}

# The pixels: triples of x, y and colour.
{
    pixel[token++ % 3] = $0
    if (token % 3 != 0) next
    if (pixel[2] == "black") black[pixel[0] "," pixel[1]] = 1
    else if (pixel[2] == "red") { red_x[red_count] = pixel[0]; red_y[red_count++] = pixel[1] }
}

function trunc(v) { return v < 0 ? -int(-v) : int(v) }

function read_mesh(    i, t, base) {
    node_count = token_list[1, 0]
    t = 1
    x_min = x_max = y_min = y_max = 0
    for (i = 0; i < node_count; i++) {
        if (i == 0) base = token_list[1, t] == "0:" ? 0 : 1
        node_x[i] = token_list[1, t + 1] + 0
        node_y[i] = token_list[1, t + 2] + 0
        if (node_x[i] >= x_max) x_max = node_x[i]
        if (node_y[i] >= y_max) y_max = node_y[i]
        if (node_x[i] <= x_min) x_min = node_x[i]
        if (node_y[i] <= y_min) y_min = node_y[i]
        t += 4
    }
    element_count = token_list[2, 0]
    t = 1
    for (i = 0; i < element_count; i++) {
        element_a[i] = token_list[2, t + 1] - base
        element_b[i] = token_list[2, t + 2] - base
        element_c[i] = token_list[2, t + 3] - base
        t += 13
    }
    side_count = token_list[3, 0]
    t = 1
    for (i = 0; i < side_count; i++) {
        side_a[i] = token_list[3, t + 1] - base
        side_b[i] = token_list[3, t + 2] - base
        side_mark[i] = token_list[3, t + 5] + 0
        t += 6
    }
}

# The fit of the client area below a menu bar of `menu` pixels, zoomed and moved as the user did.
function fit(menu,    usable_width, usable_height, ratio_x, ratio_y, factor, cy) {
    usable_width = width - 40
    usable_height = (height - menu) - 20
    ratio_y = 0.9 * usable_height / ((y_max - y_min) + 1e-30)
    ratio_x = 0.9 * usable_width / ((x_max - x_min) + 1e-30)
    scale = ratio_x > ratio_y ? ratio_y : ratio_x
    offset_x = 0.05 * (scale * trunc(x_max - x_min))
    offset_y = usable_height - 0.05 * (scale * trunc(y_max - y_min))
    top = menu
    # Each notch keeps the mesh point under the cursor; together they scale by 2^(steps / 4).
    factor = 2 ^ (steps / 4)
    cy = about_y - menu
    offset_x = about_x - (about_x - offset_x) * factor
    offset_y = cy - (cy - offset_y) * factor
    scale *= factor
    shift_x = pan_x - right * int(width / 8)
    shift_y = pan_y + up * int((height - menu) / 8)
}

function device_x(x) { return trunc(scale * x + offset_x) + shift_x }
function device_y(y) { return top + trunc(-scale * y + offset_y) + shift_y }

function black_near(x, y, radius,    dx, dy) {
    for (dx = -radius; dx <= radius; dx++)
        for (dy = -radius; dy <= radius; dy++)
            if ((x + dx) "," (y + dy) in black) return 1
    return 0
}

# Whether (x, y) lies under an element number's opaque cell, where lines are hidden.
function under_number(x, y,    e) {
    for (e = 0; e < element_count; e++)
        if (abs(x - number_x[e]) <= 14 && abs(y - number_y[e]) <= 10) return 1
    return 0
}

function abs(v) { return v < 0 ? -v : v }

# The first fault of the picture for a menu bar of `menu` pixels, or "" when it fits.
function fault(menu,    e, s, k, t, x, y, i, found, red_near) {
    fit(menu)
    for (e = 0; e < element_count; e++) {
        number_x[e] = device_x(0.333 * (node_x[element_b[e]] + node_x[element_a[e]] + node_x[element_c[e]]))
        number_y[e] = device_y(0.333 * (node_y[element_b[e]] + node_y[element_a[e]] + node_y[element_c[e]]))
    }
    for (s = 0; s < side_count; s++) {
        for (k = 1; k <= 3; k++) {
            t = k / 4
            x = device_x(node_x[side_a[s]] + t * (node_x[side_b[s]] - node_x[side_a[s]]))
            y = device_y(node_y[side_a[s]] + t * (node_y[side_b[s]] - node_y[side_a[s]]))
            if (x < 0 || x >= width || y < top || y >= height - 24 || under_number(x, y)) continue
            if (side_mark[s] != -1 && !black_near(x, y, 1))
                return sprintf("side %d has no black at %d, %d", s, x, y)
            if (side_mark[s] == -1 && k == 2 && black_near(x, y, 1))
                return sprintf("side %d is marked -1 but drawn at %d, %d", s, x, y)
        }
    }
    for (e = 0; e < element_count; e++) red_near[e] = 0
    for (i = 0; i < red_count; i++) {
        found = 0
        for (e = 0; e < element_count; e++) {
            if (abs(red_x[i] - number_x[e]) <= 14 && abs(red_y[i] - number_y[e]) <= 10) {
                red_near[e]++
                found = 1
            }
        }
        if (!found) return sprintf("red at %d, %d belongs to no element number", red_x[i], red_y[i])
    }
    in_view = 0
    for (e = 0; e < element_count; e++) {
        if (number_x[e] < 0 || number_x[e] >= width || number_y[e] < top || number_y[e] >= height - 24)
            continue
        in_view++
        if (red_near[e] == 0)
            return sprintf("element %d has no red number near %d, %d", e, number_x[e], number_y[e])
    }
    if (in_view == 0) return "no element's number is in view"
    return ""
}

END {
    read_mesh()
    if (node_count == 0 || element_count == 0 || side_count == 0) {
        print "check_picture: no mesh read"
        exit 1
    }
    fitting = ""
    for (menu = 0; menu <= max_menu; menu++) {
        reason = fault(menu)
        if (reason == "") {
            if (fitting == "") fitting = menu
            last_fitting = menu
        } else {
            if (menu == 0) first_reason = reason
            last_reason = reason
        }
    }
    if (fitting != "") {
        printf "picture matches: %d sides, %d element numbers (menu bar of %d to %d pixels)\n",
            side_count, element_count, fitting, last_fitting
        exit 0
    }
    print "check_picture: the picture does not show the mesh"
    print "  with no menu bar: " first_reason
    print "  with a " max_menu "-pixel menu bar: " last_reason
    exit 1
}
