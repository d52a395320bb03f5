-- widgets.lua: window elements as tables, the colours they are drawn in, and how an open window
-- is brought up to date by answering "updateUI" with only what changed.
--
-- Coordinates are percent of the screen, origin at the lower left. Every element names its own
-- colour, so nothing inherits the colour a bar or slider left behind.

local widgets = {}

widgets.COLOURS = {
    title = {1.0, 0.84, 0.35},
    text = {0.92, 0.92, 0.92},
    dim = {0.62, 0.68, 0.78},
    header = {0.5, 0.8, 1.0},
    good = {0.45, 1.0, 0.55},
    bad = {1.0, 0.45, 0.4},
    button = {1.0, 1.0, 1.0},
    frame = {0.45, 0.6, 0.85},
    panel = {0.02, 0.04, 0.1, 0.82},
    stock = {1.0, 0.62, 0.2},
    drill = {0.35, 0.9, 1.0},
}

local FONT = 0
-- Corners and values are floats in the engine: compare them with room for the rounding.
local CLOSE_ENOUGH = 1e-3

function widgets.text(name, x1, y1, x2, y2, label, colour)
    return {type = "text", name = name, x1 = x1, y1 = y1, x2 = x2, y2 = y2, text = label, font = FONT,
            colour = colour or widgets.COLOURS.text}
end

-- An outlined box, filled with `fill` ({r, g, b, a}) when given: the panel behind a window.
function widgets.box(name, x1, y1, x2, y2, colour, fill)
    return {type = "box", name = name, x1 = x1, y1 = y1, x2 = x2, y2 = y2, text = "", font = FONT,
            colour = colour or widgets.COLOURS.frame, fill = fill}
end

function widgets.button(name, x1, y1, x2, y2, label, colour)
    return {type = "button", name = name, x1 = x1, y1 = y1, x2 = x2, y2 = y2, text = label, font = FONT,
            initialState = 0, state = 0, colour = colour or widgets.COLOURS.button}
end

-- A bar showing `value` of `full`.
function widgets.bar(name, x1, y1, x2, y2, value, full, colour)
    return {type = "bar", name = name, x1 = x1, y1 = y1, x2 = x2, y2 = y2, leftVal = 0, rightVal = full,
            curVal = value, colour = colour or widgets.COLOURS.stock}
end

function widgets.slider(name, x1, y1, x2, y2, value, low, high, arrowWidth, colour)
    return {type = "slider", name = name, x1 = x1, y1 = y1, x2 = x2, y2 = y2, arrowWidth = arrowWidth,
            leftVal = low, rightVal = high, curVal = value, colour = colour or widgets.COLOURS.drill}
end

function widgets.scroller(name, x1, y1, x2, y2, value, low, high, arrowWidth, colour)
    return {type = "scroller", name = name, x1 = x1, y1 = y1, x2 = x2, y2 = y2, arrowWidth = arrowWidth,
            leftVal = low, rightVal = high, curVal = value, colour = colour or widgets.COLOURS.drill}
end

local function near(a, b)
    return math.abs((tonumber(a) or 0) - (tonumber(b) or 0)) <= CLOSE_ENOUGH
end

local function sameColour(a, b)
    if a == nil or b == nil then return a == b end
    return near(a[1], b[1]) and near(a[2], b[2]) and near(a[3], b[3])
end

local function samePlace(a, b)
    return near(a.x1, b.x1) and near(a.y1, b.y1) and near(a.x2, b.x2) and near(a.y2, b.y2)
end

local function sameValues(a, b)
    return a.text == b.text and sameColour(a.colour, b.colour) and near(a.curVal, b.curVal)
        and near(a.leftVal, b.leftVal) and near(a.rightVal, b.rightVal) and near(a.arrowWidth, b.arrowWidth)
end

-- Whether the user left the element other than the script last showed it: a button pressed, a
-- slider or scroller moved.
local function userChanged(wanted, report)
    if report == nil then return false end
    if wanted.type == "button" then return not near(report.state, wanted.state) end
    if wanted.curVal ~= nil and report.curVal ~= nil then return not near(report.curVal, wanted.curVal) end
    return false
end

local function copy(element, extra)
    local result = {}
    for key, value in pairs(element) do result[key] = value end
    for key, value in pairs(extra or {}) do result[key] = value end
    return result
end

-- The answer to "addUI" for a new window: its elements, last first, then its name.
function widgets.open(window, elements)
    window.shown = {}
    local answers = {}
    for i = #elements, 1, -1 do
        answers[#answers + 1] = elements[i]
        window.shown[elements[i].name] = elements[i]
    end
    answers[#answers + 1] = window.name
    return answers
end

-- Answers that turn the open window into `elements` (drawing order). `reports` maps element
-- names to the tables "updateUI" was given. A new or moved element is built anew (a table with
-- both "delete" and "new" replaces it), a changed one re-reads its values, one no longer wanted
-- is deleted, and the rest are left alone. The engine takes the answers from the last to the
-- first, so they are returned in reverse: new elements are then built in drawing order, after
-- the deletions.
function widgets.update(window, elements, reports)
    local answers = {}
    local wanted = {}
    for _, element in ipairs(elements) do wanted[element.name] = element end
    for i = #elements, 1, -1 do
        local element = elements[i]
        local shown = window.shown[element.name]
        if shown == nil then
            answers[#answers + 1] = copy(element, {new = true})
        elseif shown.type ~= element.type or not samePlace(shown, element) then
            answers[#answers + 1] = copy(element, {new = true, delete = 1})
        elseif not sameValues(shown, element) or userChanged(element, reports[element.name]) then
            answers[#answers + 1] = copy(element)
        end
    end
    for name in pairs(window.shown) do
        if not wanted[name] then answers[#answers + 1] = {name = name, delete = 1} end
    end
    window.shown = wanted
    return answers
end

-- Answers that delete every element of the open window.
function widgets.close(window)
    local answers = {}
    for name in pairs(window.shown or {}) do answers[#answers + 1] = {name = name, delete = 1} end
    window.shown = {}
    return answers
end

return widgets
