-- pilotData.lua: the one list of what the game remembers about the pilot in the player's data
-- (getPlayerData/setPlayerData, saved with every game). Every value is text; a key missing from
-- an older save reads as the default given here.

local use = ...

local pilotData = {}

-- key = {default, what it means}
pilotData.KEYS = {
    -- towing.lua: a disabled ship is towed to a planet it knows.
    lastLanding = {"", "id of the planet the ship last landed on by itself"},
    towedSince = {"", "\"towed\" after a tow, \"flown\" once the ship took off again, gone at its next landing; a tow meanwhile is free"},
}

-- The pilot's value of `key`, or its default.
function pilotData.get(player, key)
    local value = player[key]
    if value == nil then
        local entry = pilotData.KEYS[key]
        return entry and entry[1] or nil
    end
    return value
end

return pilotData
