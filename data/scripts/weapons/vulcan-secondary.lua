-- The secondary vulcan: needles from the wing tips in pairs angled outward,
-- to catch what the primary misses. Higher levels fire faster, in more pairs
-- and over a wider angle.
--   state 1: milliseconds until the next volley
local Needles = {}

local BULLET = 1         -- bullet type: needle
local STRENGTH = 1.5
local SPEED = 0.8

function Needles.Update(level, dt, cooldown, s2, s3)
    level = Game.Clamp(level, 1, 10)
    local interval = 380 - 22 * (level - 1)             -- 380 ms at level 1, 182 ms at 10
    local pairs = (level >= 8 and 3) or (level >= 4 and 2) or 1
    local angle = math.rad(5 + 1.2 * level)             -- outward turn per pair
    local x = Game.playerX
    local y = Game.playerY + Game.scrollSpeed * dt + 8
    cooldown = cooldown - dt
    if cooldown <= 0 then
        for k = 1, pairs do
            local a = angle * k
            local spreadOut = 26 + 4 * k
            Game.PlayerShoot(BULLET, x + spreadOut, y, math.sin(a), math.cos(a), SPEED, STRENGTH)
            Game.PlayerShoot(BULLET, x - spreadOut, y, -math.sin(a), math.cos(a), SPEED, STRENGTH)
        end
        cooldown = cooldown + interval
        if cooldown < 0 then cooldown = 0 end
    end
    return cooldown, s2, s3
end

return Needles
