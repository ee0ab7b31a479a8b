-- The primary vulcan cannon: fast rounds straight ahead from the nose. Higher
-- levels fire faster and in more streams that fan out wider.
--   state 1: milliseconds until the next round
--   state 2: which of the two barrels fires next (0 or 1)
local Vulcan = {}

local BULLET = 0         -- bullet type: vulcan round
local STRENGTH = 2
local SPEED = 0.9        -- units per millisecond, relative to the view

function Vulcan.Update(level, dt, cooldown, barrel, unused)
    level = Game.Clamp(level, 1, 10)
    local interval = 125 - 7 * (level - 1)              -- 125 ms at level 1, 62 ms at 10
    local streams = 1 + math.floor((level - 1) / 3)     -- 1, 1, 1, 2, 2, 2, 3, 3, 3, 4
    local fan = math.rad(2.5 + 0.8 * level)             -- angle between neighbouring streams
    -- The player moves after Update saw it and before the weapons fire.
    local x = Game.playerX
    local y = Game.playerY + Game.scrollSpeed * dt + 48
    cooldown = cooldown - dt
    local fired = 0
    while cooldown <= 0 and fired < 2 do
        local side = (barrel == 0) and 5 or -5
        for i = 1, streams do
            local a = (i - (streams + 1) / 2) * fan
            Game.PlayerShoot(BULLET, x + side, y, math.sin(a), math.cos(a), SPEED, STRENGTH)
        end
        barrel = 1 - barrel
        cooldown = cooldown + interval
        fired = fired + 1
    end
    if cooldown < 0 then cooldown = 0 end
    return cooldown, barrel, unused
end

return Vulcan
