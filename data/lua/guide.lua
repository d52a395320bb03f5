-- guide.lua: the first trip, one hint at a time. A new pilot is told to open the market, buy a
-- good that another planet pays more for, launch, follow the course marker, land slowly, sell,
-- take a job, deliver it and buy equipment. Each step's hint appears once the steps before it
-- are done; a step done early is skipped. Done steps and the hints' switch live in the player's
-- data, so a loaded game goes on where its pilot was. A hint is sent when the step changes, at
-- start-up and after a load, never every tick: a message shown meanwhile stays until then.

local use = ...
local market = use("market")
local jobs = use("jobs")
local pilotData = use("pilotData")

local guide = {}

-- Numbers a designer tunes.
local MESSAGE_SECONDS = 4          -- a message (a job paid) stays this long before the next hint
local NEAR_TARGET = 2500           -- this close to the course's planet, "follow the marker" is done

-- The steps in order: name, what must be done before (a flight only counts once there is cargo
-- to carry), and the hint.
local STEPS = {
    {name = "market"},
    {name = "buy"},
    {name = "launch", after = "buy"},
    {name = "follow", after = "launch"},
    {name = "land", after = "launch"},
    {name = "sell"},
    {name = "job"},
    {name = "deliver", after = "job"},
    {name = "equipment"},
}
local FINISHED = "finished"

-- What the guide has seen this session (not saved: a load starts it afresh).
local shown = nil           -- the step whose hint is on screen
local wasLanded = nil
local launchedFrom = nil    -- the planet of the last launch
local wasLandedOn = nil     -- the planet the ship stood on at the last tick it was landed
local waitUntil = 0
local messageShowing = false  -- a message is on screen that no hint will replace

local function courseName()
    if not getNavTarget then return nil end
    local target = getNavTarget()
    if target == nil or target < 0 then return nil end
    return (jobs.planetName(target))
end

-- The cheapest item of planet `id`'s shipyard the pilot can afford and has not fitted.
local function affordableItem(id, player)
    local ship = getPlayerShip()
    local fitted = {[ship.engine] = true, [ship.hull] = true, [ship.gravTool] = true}
    for _, weapon in ipairs(ship.weapons or {}) do fitted[weapon] = true end
    local best = nil
    for _, item in ipairs(market.listOf(getPlanetEquipment(id))) do
        local price = market.whole(item.price)
        if not fitted[item.name] and price <= market.credits(player) and (best == nil or price < best.price) then
            best = {name = item.name, price = price}
        end
    end
    return best
end

-- Hints are short: the strip between the radar and the map holds about sixty characters.
local HINTS = {
    market = function() return "Press E when landed to open the planet's market" end,
    buy = function()
        local tip = getIsPlayerLanded() == 1 and market.bestTrade(getPlayerLandedPlanetId())
        if tip then return "Buy " .. tip.good .. " here: " .. tip.planet .. " pays more (see the Tip line)" end
        return "Buy the good the Tip line names: another planet pays more"
    end,
    launch = function() return "Close the window, hold S, then press W to launch" end,
    follow = function()
        local name = courseName()
        if name then return "Follow the arrow beside your ship to " .. name end
        return "Fly to the planet the Tip named (the map is top right)"
    end,
    land = function() return "Land slowly on " .. (courseName() or "it") .. ": below speed 1, or you crash" end,
    sell = function() return "Press E and Sell your cargo on its market row" end,
    job = function() return "Press Jobs in the planet window, Accept a delivery" end,
    deliver = function()
        local name = courseName()
        if name then return "Deliver it: launch, follow the arrow to " .. name .. ", land" end
        return "Deliver it: land where the flight window (E) says"
    end,
    equipment = function()
        -- The shipyard of the planet the ship is on, or was on last.
        local landed = getIsPlayerLanded() == 1
        local planet = landed and getPlayerLandedPlanetId() or wasLandedOn
        local item = planet and affordableItem(planet, getPlayerData())
        if item and landed then return "Buy an upgrade: " .. item.name .. " (" .. item.price .. " cr), in the Shipyard" end
        if item then return "Buy an upgrade: " .. item.name .. " (" .. item.price .. " cr) on " .. jobs.planetName(planet) end
        return "Buy an upgrade in a Shipyard once you can afford one"
    end,
    [FINISHED] = function() return "Well flown! Trade, take jobs, upgrade. Hints end here." end,
}

local function doneSet(player)
    return pilotData.readSet(player[pilotData.GUIDE_DONE])
end

function guide.hintsOn(player)
    return (player or getPlayerData())[pilotData.HINTS_OFF] ~= "1"
end

-- The first step not done, FINISHED once all are, nil once the last hint was seen through.
local function currentStep(done)
    if done[FINISHED] then return nil end
    for _, step in ipairs(STEPS) do
        if not done[step.name] then return step.name end
    end
    return FINISHED
end

local function send(text)
    if showHint then showHint(text) end
end

-- Shows the current step's hint when it is not on screen; `force` shows it anyway.
local function refresh(force)
    local player = getPlayerData()
    local step = currentStep(doneSet(player))
    if not guide.hintsOn(player) or step == nil then
        -- Without hints a message goes once it has been read.
        if messageShowing and os.time() >= waitUntil then
            messageShowing = false
            send("")
        end
        return
    end
    if not force and (step == shown or os.time() < waitUntil) then return end
    shown, messageShowing = step, false
    send(HINTS[step]())
end

-- Marks the steps named done, each if what it needs first is done; then brings the hint up to
-- date.
function guide.done(...)
    local player = getPlayerData()
    local done = doneSet(player)
    local changed = false
    for i = 1, select("#", ...) do
        local name = select(i, ...)
        local ready = not done[name]
        for _, step in ipairs(STEPS) do
            if step.name == name and step.after and not done[step.after] then ready = false end
        end
        if ready then done[name], changed = true, true end
    end
    if not changed then return end
    player[pilotData.GUIDE_DONE] = pilotData.writeSet(done)
    setPlayerData(player)
    refresh(false)
end

-- The planet window opened: the market step is done, and the upgrade's hint names what this
-- planet's shipyard sells.
function guide.windowOpened()
    guide.done("market")
    if shown == "equipment" then refresh(true) end
end

-- What the windows tell the guide: "market", "sold", "job", "deliver", "equipment", and
-- "bought" with the planet and the good (the course is set to where it sells best).
function guide.note(event, id, good)
    if event == "bought" then
        local player = getPlayerData()
        if guide.hintsOn(player) and not doneSet(player).follow and setNavTarget then
            local buyer = market.bestBuyerOf(id, good)
            if buyer then setNavTarget(buyer.id) end
        end
        event = "buy"
    end
    guide.done(event)
end

-- A message the pilot must read (a job paid): on screen now, the next hint a little later.
function guide.message(text)
    send(text)
    debugDisplay(text)
    waitUntil = os.time() + MESSAGE_SECONDS
    shown, messageShowing = nil, true
end

-- Every economy tick: launches, landings and the distance to the course's planet.
function guide.tick()
    local landed = getIsPlayerLanded() == 1
    if wasLanded ~= nil and landed ~= wasLanded then
        if landed then
            local here = getPlayerLandedPlanetId()
            if launchedFrom == nil or here ~= launchedFrom then guide.done("follow", "land") end
        else
            launchedFrom = wasLandedOn
            guide.done("launch")
            -- The last hint goes at the first launch after it was shown.
            if shown == FINISHED then
                local player = getPlayerData()
                local done = doneSet(player)
                done[FINISHED] = true
                player[pilotData.GUIDE_DONE] = pilotData.writeSet(done)
                setPlayerData(player)
                shown = nil
                send("")
            end
        end
    end
    if landed then wasLandedOn = getPlayerLandedPlanetId() end
    wasLanded = landed

    if not landed and getNavTarget and shown == "follow" then
        local target = getNavTarget()
        local ship = getPlayerShip()
        if target and target >= 0 and ship.x then
            local data = getPlanetData(target)
            local dx, dy = market.number(data.x) - ship.x, market.number(data.y) - ship.y
            if math.sqrt(dx * dx + dy * dy) < NEAR_TARGET + market.number(data.radius) then guide.done("follow") end
        end
    end
    refresh(false)
end

-- At start-up and after a load: the hint of where this pilot is.
function guide.start()
    wasLanded, launchedFrom, wasLandedOn, waitUntil = nil, nil, nil, 0
    shown = nil
    if guide.hintsOn() then
        refresh(true)
    else
        send("")
    end
end

-- The flight window's switch: off clears the hint, on shows the current one.
function guide.setHints(on)
    local player = getPlayerData()
    player[pilotData.HINTS_OFF] = (not on) and "1" or nil
    setPlayerData(player)
    if on then
        shown = nil
        refresh(true)
    else
        send("")
    end
end

return guide
