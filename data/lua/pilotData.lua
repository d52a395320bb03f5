-- pilotData.lua: the one list of what the game remembers about the pilot. Everything lives in
-- the player's data (getPlayerData / setPlayerData), which every save keeps; each key says what
-- it means and what it reads as when a save written by an older script does not have it.
--
--   credits          whole credits in the wallet; missing: market.STARTING_CREDITS
--   cargo_<good>     units of a trade good in the hold (characters other than letters and digits
--                    of the good's name become "_"); missing: none held
--   paid_<good>      credits paid for those units, for the profit of a sale; missing: 0
--   job_<n>          accepted job n (1 to jobs.MAX_ACCEPTED), one line of fields separated by
--                    ";" (see jobs.lua); missing: no job in that place
--   jobsTaken        offers already taken, as "planet:round:offer" separated by ","; missing: none
--   guideDone        steps of the first trip already done, names separated by ","; missing: none
--   hintsOff         "1" when the pilot turned the hints off for good; missing: hints on
--   lastLanding      id of the planet the ship last landed on by itself (towing.lua tows there);
--                    missing: the nearest inhabited planet of the ship's world
--   towedSince       "towed" after a tow, "flown" once the ship took off again, gone at its next
--                    landing; a tow meanwhile is free; missing: no tow pending

local pilotData = {}

pilotData.JOB_PREFIX = "job_"
pilotData.JOBS_TAKEN = "jobsTaken"
pilotData.GUIDE_DONE = "guideDone"
pilotData.HINTS_OFF = "hintsOff"

-- Defaults of the keys read through pilotData.get.
local DEFAULTS = {
    lastLanding = "",
    towedSince = "",
}

-- The pilot's value of `key`, or its default.
function pilotData.get(player, key)
    local value = player[key]
    if value == nil then return DEFAULTS[key] end
    return value
end

-- A comma-separated list as a set, and back. Order is kept for the writer.
function pilotData.readSet(value)
    local set = {}
    for item in string.gmatch(value or "", "[^,]+") do set[item] = true end
    return set
end

function pilotData.writeSet(set)
    local items = {}
    for item in pairs(set) do items[#items + 1] = item end
    table.sort(items)
    return table.concat(items, ",")
end

-- Fields of a ";"-separated record, as a list of strings.
function pilotData.fields(value)
    local list = {}
    for field in string.gmatch((value or "") .. ";", "([^;]*);") do list[#list + 1] = field end
    return list
end

return pilotData
