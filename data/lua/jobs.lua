-- jobs.lua: paid work from the planets. Every inhabited planet offers a few jobs, drawn anew
-- each round of its economy: deliveries (cargo handed over on acceptance, paid on landing at
-- the named planet; the good is the one the destination is shortest of, and a destination
-- through a wormhole pays more) and bounties (destroy ships of a faction hostile to the
-- planet's owner in a named world). Accepted jobs take hold space, set the course, and are
-- paid at once when done; they live in the player's data, so saves keep them.

local use, folder = ...
local market = use("market")
local pilotData = use("pilotData")

local jobs = {}

-- Numbers a designer tunes.
jobs.MAX_ACCEPTED = 3           -- jobs a pilot carries at once
local ROUND_TICKS = 240         -- economy ticks (half seconds) before a planet's offers change
local IN_WORLD_OFFERS = 2       -- deliveries to planets of the same world
local WORMHOLE_OFFERS = 1       -- deliveries to a planet of another world
local MIN_UNITS, MAX_UNITS = 3, 8
local BASE_PAY = 300            -- every delivery
local PAY_PER_UNIT = 30
local VALUE_SHARE = 0.3         -- of the cargo's listed price at the destination
local OTHER_STAR_FACTOR = 1.5   -- destination circles another star of the same world
local WORMHOLE_FACTOR = 2.5     -- destination lies through a wormhole
local MIN_KILLS, MAX_KILLS = 2, 4
local PAY_PER_KILL = 300
local TAKEN_KEPT = 30           -- taken offers remembered, so a round does not offer them twice
local PAY_ROUNDING = 10

local number, whole = market.number, market.whole

---------------------------------------------------------------------------------------------------
-- Facts of the universe
---------------------------------------------------------------------------------------------------

-- A stable pseudo-random number in [0, n) for the given whole numbers: the same planet and round
-- always offer the same jobs.
local function pick(n, a, b, c)
    local h = (a * 7919 + b * 104729 + c * 1299709 + 12345) % 2147483647
    h = (h * 16807) % 2147483647
    return h % n
end

local function roundPay(value)
    return math.floor(value / PAY_ROUNDING + 0.5) * PAY_ROUNDING
end

-- Which factions are hostile to which, by index (0 is the first faction), read once from
-- relations.xml beside the script: {[owner] = {faction, ...}}.
local hostility = nil
local function hostileTo(owner)
    if hostility == nil then
        hostility = {}
        local names = getFactionNames()
        local index = {}
        for i, name in ipairs(names) do index[name] = i - 1 end
        local file = io.open((folder or "") .. "relations.xml", "r")
        local text = file and file:read("*a") or ""
        if file then file:close() end
        for name, body in string.gmatch(text, '<faction%s+name="([^"]*)"%s*>(.-)</faction>') do
            local list = {}
            for other in string.gmatch(body, '<relation%s+name="([^"]*)"%s+attitude="hostile"') do
                if index[other] then list[#list + 1] = index[other] end
            end
            if index[name] then hostility[index[name]] = list end
        end
    end
    return hostility[owner] or {}
end

-- The planets as {id, name, world, worldName, star, goods}, by id.
local function planets()
    local list = {}
    for _, planet in ipairs(getPlanetList()) do
        planet.goods = market.tradedGoods(planet.id)
        list[planet.id] = planet
    end
    return list
end

local function inhabited(planet, data, extra)
    return #planet.goods > 0 or (number(data.factionOwner) >= 0 and number(extra.population) > 0)
end

function jobs.planetName(id)
    for _, planet in ipairs(getPlanetList()) do
        if planet.id == id then return planet.name, planet.worldName, planet.world end
    end
    return "planet " .. tostring(id), "", -1
end

---------------------------------------------------------------------------------------------------
-- Records in the player's data
---------------------------------------------------------------------------------------------------

-- A job as a record: delivery;offer;from;pay;good;units;destination and
-- bounty;offer;from;pay;faction;count;world;killed.
local function encode(job)
    if job.kind == "delivery" then
        return table.concat({"delivery", job.offer, job.from, job.pay, job.good, job.units, job.destination}, ";")
    end
    return table.concat({"bounty", job.offer, job.from, job.pay, job.faction, job.count, job.world, job.killed}, ";")
end

-- The job of a record, or nil when the record is not one (a hand-edited save).
local function decode(value)
    local f = pilotData.fields(value)
    local job = {kind = f[1], offer = f[2] or "", from = whole(f[3]), pay = whole(f[4])}
    if job.kind == "delivery" and #f >= 7 then
        job.good, job.units, job.destination = f[5], whole(f[6]), whole(f[7])
        if job.units > 0 then return job end
    elseif job.kind == "bounty" and #f >= 8 then
        job.faction, job.count, job.world, job.killed = whole(f[5]), whole(f[6]), whole(f[7]), whole(f[8])
        if job.count > 0 then return job end
    end
    return nil
end

-- Accepted jobs, in their places, as a list of jobs each with its `slot`.
function jobs.accepted(player)
    local list = {}
    for slot = 1, jobs.MAX_ACCEPTED do
        local job = decode(player[pilotData.JOB_PREFIX .. slot])
        if job then
            job.slot = slot
            list[#list + 1] = job
        end
    end
    return list
end

-- Hold space the accepted deliveries take.
function jobs.cargoUsed(player)
    local used = 0
    for _, job in ipairs(jobs.accepted(player)) do
        if job.kind == "delivery" then used = used + job.units end
    end
    return used
end

local function factionName(faction)
    return getFactionNames()[faction + 1] or ("faction " .. faction)
end

local function worldName(world)
    return getWorldNames()[world + 1] or ("world " .. world)
end

-- One line saying what a job asks, and for what.
function jobs.describe(job)
    if job.kind == "delivery" then
        local name, world = jobs.planetName(job.destination)
        return "Deliver " .. job.units .. " " .. job.good .. " to " .. name .. " (" .. world .. "): " .. job.pay .. " cr"
    end
    return "Bounty: " .. (job.killed or 0) .. "/" .. job.count .. " " .. factionName(job.faction) .. ", " ..
        worldName(job.world) .. ": " .. job.pay .. " cr"
end

---------------------------------------------------------------------------------------------------
-- Offers
---------------------------------------------------------------------------------------------------

local function round(data, extra)
    return math.floor(number(extra.ticks) / ROUND_TICKS)
end

-- The good a planet is shortest of (the scarcest element stockpile), or nil.
local function scarcest(planet)
    local data = getPlanetData(planet.id)
    local best, bestStock = nil, nil
    for _, good in ipairs(planet.goods) do
        local stock = market.stockOf(data, good.name)
        if bestStock == nil or stock < bestStock then best, bestStock = good, stock end
    end
    return best
end

local function delivery(from, destination, r, k, through)
    local good = scarcest(destination)
    if not good then return nil end
    local units = MIN_UNITS + pick(MAX_UNITS - MIN_UNITS + 1, from.id, r, k)
    local pay = BASE_PAY + PAY_PER_UNIT * units + VALUE_SHARE * units * number(good.price)
    if through then
        pay = pay * WORMHOLE_FACTOR
    elseif destination.star ~= from.star then
        pay = pay * OTHER_STAR_FACTOR
    end
    return {kind = "delivery", from = from.id, good = good.name, units = units, destination = destination.id,
            pay = roundPay(pay)}
end

-- Picks `count` different entries of `list` for offer numbers starting at `k`.
local function choose(list, count, id, r, k)
    local chosen, left = {}, {}
    for i, entry in ipairs(list) do left[i] = entry end
    for n = 1, math.min(count, #left) do
        local i = pick(#left, id, r, k + n) + 1
        chosen[#chosen + 1] = table.remove(left, i)
    end
    return chosen
end

-- Every job planet `id` offers this round, taken ones included: a list of jobs, each with its
-- `offer` name "planet:round:k".
local function allOffers(id)
    local all = planets()
    local here = all[id]
    if not here then return {} end
    local data, extra = getPlanetData(id)
    if not inhabited(here, data, extra) then return {} end
    local r = round(data, extra)
    local near, far = {}, {}
    for other, planet in pairs(all) do
        if other ~= id and #planet.goods > 0 then
            if planet.world == here.world then near[#near + 1] = planet else far[#far + 1] = planet end
        end
    end
    local byId = function(a, b) return a.id < b.id end
    table.sort(near, byId)
    table.sort(far, byId)

    local offers = {}
    for _, planet in ipairs(choose(near, IN_WORLD_OFFERS, id, r, 0)) do
        offers[#offers + 1] = delivery(here, planet, r, #offers + 1, false)
    end
    for _, planet in ipairs(choose(far, WORMHOLE_OFFERS, id, r, 10)) do
        offers[#offers + 1] = delivery(here, planet, r, #offers + 1, true)
    end
    local enemies = hostileTo(whole(data.factionOwner))
    if #enemies > 0 then
        local count = MIN_KILLS + pick(MAX_KILLS - MIN_KILLS + 1, id, r, 20)
        offers[#offers + 1] = {kind = "bounty", from = id, faction = enemies[pick(#enemies, id, r, 21) + 1],
                               count = count, world = here.world, killed = 0, pay = count * PAY_PER_KILL}
    end
    for k, offer in ipairs(offers) do offer.offer = id .. ":" .. r .. ":" .. k end
    return offers
end

-- The offers of planet `id` the pilot has not taken, in the order shown.
function jobs.offers(id)
    local taken = pilotData.readSet(getPlayerData()[pilotData.JOBS_TAKEN])
    local list = {}
    for _, offer in ipairs(allOffers(id)) do
        if not taken[offer.offer] then list[#list + 1] = offer end
    end
    return list
end

---------------------------------------------------------------------------------------------------
-- Accepting, abandoning, finishing
---------------------------------------------------------------------------------------------------

-- The planet a job's course leads to: the destination of a delivery, a planet of a bounty's
-- world when that is another world (the marker then shows the wormhole); nil for none.
function jobs.courseOf(job)
    if job.kind == "delivery" then return job.destination end
    if job.world == getPlayerWorld() then return nil end
    for _, planet in ipairs(getPlanetList()) do
        if planet.world == job.world then return planet.id end
    end
    return nil
end

local function setCourse(id)
    if id ~= nil and setNavTarget then setNavTarget(id) end
end

local function remember(player, offer)
    local list = {}
    for item in string.gmatch(player[pilotData.JOBS_TAKEN] or "", "[^,]+") do list[#list + 1] = item end
    list[#list + 1] = offer
    while #list > TAKEN_KEPT do table.remove(list, 1) end
    player[pilotData.JOBS_TAKEN] = table.concat(list, ",")
end

-- Accepts offer `k` of planet `id`: answers the line for the status text and whether it worked.
function jobs.accept(id, k)
    local offer = jobs.offers(id)[k]
    if not offer then return "That job is no longer offered", false end
    local player = getPlayerData()
    local mine = jobs.accepted(player)
    if #mine >= jobs.MAX_ACCEPTED then
        return "You carry " .. jobs.MAX_ACCEPTED .. " jobs already: finish or abandon one", false
    end
    if offer.kind == "delivery" then
        local capacity = whole(getPlayerShip().cargo)
        local free = capacity - market.holdUsed(player)
        if free < offer.units then
            return "Not enough room: the job needs " .. offer.units .. " units, the hold has " .. free .. " free", false
        end
    end
    local slot = 1
    local used = {}
    for _, job in ipairs(mine) do used[job.slot] = true end
    while used[slot] do slot = slot + 1 end
    player[pilotData.JOB_PREFIX .. slot] = encode(offer)
    remember(player, offer.offer)
    local ok, reason = setPlayerData(player)
    if not ok then return "Job refused: " .. tostring(reason), false end
    setCourse(jobs.courseOf(offer))
    return "Accepted: " .. jobs.describe(offer), true
end

-- Gives up accepted job `slot`; a delivery's cargo goes back to its sender.
function jobs.abandon(slot)
    local player = getPlayerData()
    local job = decode(player[pilotData.JOB_PREFIX .. slot])
    if not job then return "There is no such job", false end
    player[pilotData.JOB_PREFIX .. slot] = nil
    local ok, reason = setPlayerData(player)
    if not ok then return "Could not abandon: " .. tostring(reason), false end
    if setNavTarget and getNavTarget and getNavTarget() == jobs.courseOf(job) then setNavTarget(-1) end
    return "Abandoned: " .. jobs.describe(job), true
end

local function pay(player, job, messages, line)
    player[pilotData.JOB_PREFIX .. job.slot] = nil
    player.credits = string.format("%d", market.credits(player) + job.pay)
    messages[#messages + 1] = line .. ": paid " .. job.pay .. " cr"
end

-- After the changes of a finished job: the next accepted job's course, or none.
local function nextCourse(player, finished)
    if not (setNavTarget and getNavTarget) then return end
    if getNavTarget() ~= finished then return end
    for _, job in ipairs(jobs.accepted(player)) do
        local course = jobs.courseOf(job)
        if course then
            setNavTarget(course)
            return
        end
    end
    setNavTarget(-1)
end

-- The ship is on planet `id`: every delivery for it is paid. Answers the messages.
function jobs.landedOn(id)
    local player = getPlayerData()
    local messages = {}
    for _, job in ipairs(jobs.accepted(player)) do
        if job.kind == "delivery" and job.destination == id then
            pay(player, job, messages, "Delivered " .. job.units .. " " .. job.good .. " to " .. jobs.planetName(id))
        end
    end
    if #messages > 0 then
        local ok = setPlayerData(player)
        if not ok then return {} end
        nextCourse(player, id)
    end
    return messages
end

-- A ship of `faction` was destroyed in the player's world; bounties count the player's kills.
function jobs.shipDestroyed(faction, byPlayer)
    if number(byPlayer) ~= 1 then return {} end
    local player = getPlayerData()
    local world = getPlayerWorld()
    local messages, changed = {}, false
    for _, job in ipairs(jobs.accepted(player)) do
        if job.kind == "bounty" and job.world == world and job.faction == whole(faction) then
            job.killed = job.killed + 1
            changed = true
            if job.killed >= job.count then
                pay(player, job, messages, "Bounty done: " .. job.count .. " " .. factionName(job.faction) .. " ships")
            else
                player[pilotData.JOB_PREFIX .. job.slot] = encode(job)
                messages[#messages + 1] = "Bounty: " .. job.killed .. " of " .. job.count .. " " ..
                    factionName(job.faction) .. " ships"
            end
        end
    end
    if changed and not setPlayerData(player) then return {} end
    return messages
end

-- The jobs' cargo takes room in the hold like any good.
market.reservedHold = jobs.cargoUsed

return jobs
